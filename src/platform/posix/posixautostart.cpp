#include "posixautostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace Posix {

QString autostartEntry()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/autostart/pendulix.desktop"));
}

bool setAutostart(bool start, const QString &executable)
{
    const QString entry = autostartEntry();
    if (!start)
        return !QFile::exists(entry) || QFile::remove(entry);
    // The Exec key's quoting: the path in double quotes, where a double quote,
    // a backquote, a dollar sign and a backslash each take a backslash.
    QString quoted = executable;
    for (const QChar c : {QLatin1Char('\\'), QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        quoted.replace(c, QStringLiteral("\\") + c);
    const QByteArray text = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Pendulix\n"
                            "Comment=Starts programs, documents and web addresses on time\n"
                            "Comment[fr]=Lance programmes, documents et adresses web à heure fixe\n"
                            "Exec=\"" + quoted.toUtf8() + "\"\n"
                            "Icon=pendulix\n"
                            "Terminal=false\n"
                            "X-GNOME-Autostart-enabled=true\n";
    QDir().mkpath(QFileInfo(entry).path());
    QSaveFile file(entry);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit();
}

} // namespace Posix
