#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace DesktopExec {

// The value of a desktop entry's Exec key that starts `program` with no
// arguments, by the Desktop Entry rules: the path in double quotes, where
// '"', '`', '$' and '\' take a backslash, '%' doubled, then the backslashes
// of the string level doubled, after "env " when the path holds a '%'.
// None for a path no Exec line can hold (a line break or another control
// character).
std::optional<QByteArray> quoted(const QString &program);

} // namespace DesktopExec
