#pragma once

#include <QString>

// The XDG autostart entry that starts the program with the user's session.
namespace Posix {

// pendulix.desktop in $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
QString autostartEntry();

// Writes the entry for `executable`, or removes it. Empty when done;
// otherwise why not.
QString setAutostart(bool start, const QString &executable);

} // namespace Posix
