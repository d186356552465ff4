#pragma once

#include <QString>

namespace Platform {

// Where the program's files are. Its user's own: the schedule, the journals,
// the settings, the runs and their outputs. What its install provides and
// nobody changes: the language file and the help. And the executable's own
// folder, where its keeper is. Each with its trailing separator.
struct ProgramFolders
{
    QString own;
    QString data;
    QString executable;
};

// What is known of the folder the executable is in.
struct ExecutablePlace
{
    QString directory; // with its trailing separator, '/'
    bool writable = false; // its user may make files there
    bool holdsData = false; // the language file is beside the executable
    bool installedData = false; // the install's data folder holds it
    bool holdsSchedule = false; // a schedule is beside the executable
};

// Where an install for everyone puts its data, from the executable's folder.
QString installedDataFolder(const QString &executableDirectory);

// Portable, as the program was designed: everything beside the executable,
// where it is no install for everyone (an executable without its data beside
// it, whose install's data folder has them: root, who can write /usr/bin,
// gets a folder of its own too) and its user can write there or has a
// schedule there already (a copy made read-only keeps scheduling from it).
// Otherwise the user's own files go to $XDG_DATA_HOME/pendulix/, or
// ~/.local/share/pendulix/ where that is not set or not absolute.
ProgramFolders chooseProgramFolders(const ExecutablePlace &place, const QString &xdgDataHome,
                                    const QString &home);

} // namespace Platform
