#include "posixautostart.h"

#include "text/desktopexec.h"

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

QString setAutostart(bool start, const QString &executable)
{
    const QString refused = QStringLiteral("Démarrage avec la session impossible : ");
    const QString entry = autostartEntry();
    if (!start) {
        QFile file(entry);
        if (!file.exists() || file.remove())
            return QString();
        return refused + file.errorString();
    }
    const std::optional<QByteArray> exec = DesktopExec::quoted(executable);
    if (!exec)
        return refused + QStringLiteral("le chemin du programme contient un saut de ligne");
    const QByteArray text = "[Desktop Entry]\n"
                            "Type=Application\n"
                            "Name=Pendulix\n"
                            "Comment=Starts programs, documents and web addresses on time\n"
                            "Comment[fr]=Lance programmes, documents et adresses web à heure fixe\n"
                            "Exec=" + *exec + "\n"
                            "Icon=pendulix\n"
                            "Terminal=false\n"
                            "X-GNOME-Autostart-enabled=true\n";
    QDir().mkpath(QFileInfo(entry).path());
    QSaveFile file(entry);
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && file.commit())
        return QString();
    return refused + file.errorString();
}

} // namespace Posix
