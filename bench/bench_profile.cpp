// A settings look-up in a large file: a section of 16,000 lines, as a list
// control saved with its items would make, then the key looked up last.
#include "files/textfile.h"
#include "settings/profile.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("serie.ini"));
    QStringList lines{QStringLiteral("[Form1ListBox_1]")};
    for (int i = 0; i < 16000; ++i)
        lines << QStringLiteral("L%1=item number %1").arg(i);
    lines << QStringLiteral("[Form1]") << QStringLiteral("Edit_4=English");
    TextFile::replaceAll(path, lines);

    QTextStream out(stdout);
    const ProfileText text(lines);
    QElapsedTimer timer;
    timer.start();
    const QString inMemory = text.value(QStringLiteral("Form1ListBox_1"), QStringLiteral("L15999"), {});
    out << "last key of a 16,000-line section, in memory: " << double(timer.nsecsElapsed()) / 1e6
        << " ms (" << inMemory << ")\n";
    timer.restart();
    const QString fromFile =
        Profile::GetPrivateProfileString(QStringLiteral("Form1"), QStringLiteral("Edit_4"), {}, path);
    out << "a key after that section, from the file: " << double(timer.nsecsElapsed()) / 1e6
        << " ms (" << fromFile << ")\n";
    return 0;
}
