#pragma once

// The set-up transfers of stratavue-cli logger-config, apart from finding the station, so that
// they can run against any data logger link.

#include <iosfwd>
#include <string>

#include "cli/Cli.h"

namespace svu {
class NdrLoggerLink;
}

namespace svu::cli {

/// Reads the logger's set-up and writes it as JSON to `outPath`.
int LoggerConfigDownload(Context& ctx, NdrLoggerLink& link, const std::string& outPath);
/// Reads the logger's set-up and lists how the JSON file `inPath` differs from it.
int LoggerConfigDiff(Context& ctx, NdrLoggerLink& link, const std::string& inPath);
/// Writes the set-up of `inPath` to the logger. Unless `yes`, the changes are listed first and
/// confirmed by a "y" line read from `terminal`; with no terminal (nullptr) nothing is written.
/// `clearMemory` erases the logged data afterwards, as a changed channel count needs.
int LoggerConfigUpload(Context& ctx, NdrLoggerLink& link, const std::string& inPath, bool yes, std::istream* terminal,
                       bool clearMemory);

}  // namespace svu::cli
