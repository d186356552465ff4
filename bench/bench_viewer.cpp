// Time from "load this journal" to its first rows painted, and the memory the
// viewer holds, for journals of 10,000, 100,000 and 1,000,000 lines. Each
// size runs in a child process so that peak memory is its own.
#include "journal/Unit2.h"
#include "journal/journalmodel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTableView>

#include <sys/resource.h>

namespace {

qint64 peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

int measure(const QString &path)
{
    TForm2::Hooks hooks;
    TForm2 viewer(hooks);
    viewer.show();
    QApplication::processEvents();
    const qint64 before = peakResidentKiB();
    QElapsedTimer timer;
    timer.start();
    viewer.loadFile(path);
    const double loadMs = double(timer.nsecsElapsed()) / 1e6;
    viewer.ListView1->viewport()->repaint();
    QApplication::processEvents();
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    QTextStream(stdout) << viewer.model()->rowCount() << " lines, "
                        << QFile(path).size() / 1024 / 1024 << " MB: first rows in " << ms
                        << " ms (reading and indexing " << loadMs << " ms), peak resident " << peakResidentKiB() / 1024 << " MB (before load "
                        << before / 1024 << " MB)\n";
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--measure")
        return measure(QString::fromLocal8Bit(argv[2]));

    QTemporaryDir dir;
    for (const int lines : {10000, 100000, 1000000}) {
        const QString path = dir.filePath(QStringLiteral("%1.log").arg(lines));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        QByteArray chunk;
        for (int i = 0; i < lines; ++i) {
            chunk += "14:30:" + QByteArray::number(10 + i % 50) + ";/home/user/jobs/backup-" +
                     QByteArray::number(i) + ".sh --quiet\r\n";
            if (chunk.size() > (1 << 20)) {
                file.write(chunk);
                chunk.clear();
            }
        }
        file.write(chunk);
        file.close();
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), path});
        child.waitForFinished(-1);
    }
    return 0;
}
