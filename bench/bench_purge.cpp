// The purge over a program directory holding 10,000 old journal files beside
// a deep tree of 10,000 other files, which must all survive.
#include "engine/schedulingengine.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    const QDateTime old = QDateTime::currentDateTime().addDays(-400);
    auto make = [&](const QString &path) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("14:30:00;x\r\n");
        file.flush(); // a write flushed at close would date the file again
        file.setFileTime(old, QFileDevice::FileModificationTime);
    };
    for (int i = 0; i < 10000; ++i)
        make(root + QDate(2000, 1, 1).addDays(i).toString(QStringLiteral("yyyyMMdd")) + ".log");
    QString deep = root + QStringLiteral("scripts");
    for (int i = 0; i < 10000; ++i) {
        if (i % 100 == 0) {
            deep += QStringLiteral("/level%1").arg(i / 100);
            QDir().mkpath(deep);
        }
        make(deep + QStringLiteral("/job%1.log").arg(i));
    }
    QFile(root + QStringLiteral("cron-bat.dat")).open(QIODevice::WriteOnly);

    SchedulingEngine engine({.programDirectory = root});
    engine.setSettings({.journalling = true, .purge = true, .purgeAfterDays = 1});
    QElapsedTimer timer;
    timer.start();
    engine.purgeJournals();
    const double ms = double(timer.nsecsElapsed()) / 1e6;

    int journals = 0;
    int others = 0;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        it.next();
        if (it.fileInfo().path() == dir.path() && it.fileName().endsWith(QLatin1String(".log")))
            ++journals;
        else if (it.fileName().startsWith(QLatin1String("job")))
            ++others;
    }
    QTextStream(stdout) << "purge of 10000 journals beside 10000 other files in a 100-level tree: "
                        << ms << " ms; journals left " << journals << ", other files left "
                        << others << "\n";
    return others == 10000 && journals == 0 ? 0 : 1;
}
