// Writes the program's icon as PNG files for the desktop's icon theme:
// <folder>/<N>x<N>/apps/pendulix.png for each size given.
#include "widgets/programicon.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: %s <folder> <size>...\n", argv[0]);
        return 2;
    }
    for (const QString &given : arguments.mid(2)) {
        const int size = given.toInt();
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(arguments.at(1)).arg(size);
        if (size <= 0 || !QDir().mkpath(folder) || !drawProgramImage(size).save(folder + QStringLiteral("/pendulix.png"))) {
            std::fprintf(stderr, "%s: cannot write the %s pixel icon\n", argv[0], qPrintable(given));
            return 1;
        }
    }
    return 0;
}
