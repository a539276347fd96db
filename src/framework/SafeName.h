#pragma once

// Names typed by the user that end up inside file names (station names in daily log names) or on
// a terminal. A name that holds a separator or ".." would place a file outside its folder, and
// control characters would break log headers and the lines of alarms.txt and error.txt.

#include <string>
#include <string_view>

namespace svu {

/// Empty when `name` may be part of a file name; else why not ("contains a '/'", ...). An empty
/// name is allowed (the caller decides whether a name is required).
std::string FileNamePartProblem(std::string_view name);

/// True when `text` holds no control character (so it cannot end or rewrite a line).
bool HasNoControls(std::string_view text);

/// The text with every control character written as an escape (\r, \n, \t, \e or \xHH), for
/// printing names on a terminal or in a one-line report.
std::string EscapeControls(std::string_view text);

/// The file `name` names, relative to `folder` unless it is absolute; empty (nothing to open) when
/// the name holds a ".." component or a control character, as a hostile display file's could.
std::string PathInFolder(const std::string& folder, const std::string& name);

}  // namespace svu
