#pragma once

// The program's own toolbar pictures, kept in its resources so that every button shows one
// whatever icon theme the desktop has.

#include <QIcon>
#include <QString>

namespace svu {

/// The picture `name` (":/icons/<name>.svg") drawn at the usual toolbar sizes; a null icon when
/// there is no such picture.
QIcon ToolbarIcon(const QString& name);

}  // namespace svu
