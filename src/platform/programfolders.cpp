#include "programfolders.h"

#include <QDir>

namespace Platform {

namespace {

QString withSeparator(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

QString installedDataFolder(const QString &executableDirectory)
{
    return withSeparator(QDir::cleanPath(executableDirectory + QStringLiteral("../share/pendulix")));
}

ProgramFolders chooseProgramFolders(const ExecutablePlace &place, const QString &xdgDataHome,
                                    const QString &home)
{
    const bool installedForEveryone = place.installedData && !place.holdsData;
    ProgramFolders folders;
    folders.executable = place.directory;
    folders.data = installedForEveryone ? installedDataFolder(place.directory) : place.directory;
    if (!installedForEveryone && (place.writable || place.holdsSchedule)) {
        folders.own = place.directory;
        return folders;
    }
    // The base directory rules: a relative XDG_DATA_HOME is ignored.
    const QString base = QDir::isAbsolutePath(xdgDataHome) ? xdgDataHome
                                                            : withSeparator(home) + QStringLiteral(".local/share");
    folders.own = withSeparator(QDir::cleanPath(base)) + QStringLiteral("pendulix/");
    return folders;
}

} // namespace Platform
