// COUNT entries of one minute (default 10,000), all due at one pass, each
// starting a real program, in the program's own engine and window: how long
// until every start is recorded (history row and journal line), how long the
// pass itself holds the window thread, and the longest the window thread
// went without handling its events meanwhile (a timer asks every 10 ms),
// the memory and the descriptors held after (a program that keeps running,
// such as "/usr/bin/sleep 60", shows what children still running hold).
// Then the same count of bare spawns of the program, each reaped, outside
// Qt: the floor this machine puts under any scheduler's figure.
// Programs go through the keeper beside the build's executable, as the
// program starts them, so "recorded" means started and their end told; the
// last line gives the burst over the floor, "ratio: R".
// Usage: bench_many_starts [count] [program] [shown|hidden] [keeper]
#include "app/Unit1.h"
#include "app/composition.h"
#include "engine/schedulingengine.h"
#include "journal/eventspage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size());
}

qint64 residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

qint64 bareSpawnsMs(int count, const QByteArray &program)
{
    QElapsedTimer clock;
    clock.start();
    char *args[] = {const_cast<char *>(program.constData()), nullptr};
    for (int i = 0; i < count; ++i) {
        pid_t child;
        if (posix_spawn(&child, program.constData(), nullptr, nullptr, args, environ) != 0)
            return -1;
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    while (wait(nullptr) > 0) {
    }
    return clock.elapsed();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 10000;
    const QByteArray program = argc > 2 ? QByteArray(argv[2]) : QByteArray("/usr/bin/true");

    QTemporaryDir dir;
    const QString programDirectory = dir.path() + QLatin1Char('/');
    QFile schedule(programDirectory + QStringLiteral("cron-bat.dat"));
    if (!schedule.open(QIODevice::WriteOnly))
        return 1;
    schedule.write("\r\n");
    for (int i = 0; i < count; ++i)
        schedule.write("1|0|0|0|0|0|0|0|0|" + program + "|\r\n");
    schedule.close();

    const QString keeper = argc > 4 ? QString::fromLocal8Bit(argv[4])
                                    : QCoreApplication::applicationDirPath() + QStringLiteral("/../pendulix-run");
    const QString line = QStringLiteral("1|0|0|0|0|0|0|0|0|") + QString::fromLocal8Bit(program) + QLatin1Char('|');
    SchedulingEngine engine({.programDirectory = programDirectory, .keeper = keeper});
    TForm1 form(engine, {.programDirectory = programDirectory,
                         .executableFileName = QStringLiteral("Pendulix"),
                         .exitAsker = [](const QString &, const QString &,
                                       const ExitAnswered &answered) { answered(ExitAnswer::No); },
                         .notify = [](const QString &, const QString &, const QString &) {}});
    connectEngineAndWindow(engine, form);
    form.restoreSettings();
    form.Timer2->stop();
    form.FormCreate();
    // Shown, the window paints the history as it grows; hidden, as in the tray.
    if (argc <= 3 || QByteArray(argv[3]) != "hidden")
        form.show();
    QApplication::processEvents();
    const qint64 residentBefore = residentKiB();

    int started = 0;
    QObject::connect(&engine, &SchedulingEngine::recorded, [&](const RecordedEvent &event) {
        if (event.kind == RecordedEvent::Start)
            ++started;
    });
    QElapsedTimer clock;
    qint64 lastBeat = 0;
    qint64 longestGap = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 at = clock.nsecsElapsed();
        longestGap = qMax(longestGap, at - lastBeat);
        lastBeat = at;
    });
    QTreeWidget *history = form.TabSheet1->ListView1;
    qint64 allRecorded = -1;
    QTimer done;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (started >= count && history->topLevelItemCount() >= qMin(count, EventsPage::kHistoryRows) &&
            !engine.past().isRunning(line)) {
            allRecorded = clock.nsecsElapsed();
            done.stop();
            // Not quit(): that closes the window, which asks the user first.
            QCoreApplication::exit(0);
        } else if (clock.elapsed() > 120000) {
            done.stop();
            QCoreApplication::exit(1);
        }
    });

    clock.start();
    beat.start(10);
    done.start(5);
    QTimer::singleShot(0, [&] {
        const qint64 before = clock.nsecsElapsed();
        lastBeat = before;
        engine.runPass();
        const qint64 pass = clock.nsecsElapsed() - before;
        longestGap = qMax(longestGap, clock.nsecsElapsed() - lastBeat);
        QTextStream(stdout) << "the pass held the window thread " << pass / 1000000 << " ms\n";
    });
    app.exec();

    QTextStream out(stdout);
    if (allRecorded < 0) {
        out << started << " of " << count << " starts recorded in 120 s, "
            << history->topLevelItemCount() << " history rows; " << openDescriptors()
        << " descriptors open; still running: " << engine.past().isRunning(line) << "\n";
        return 1;
    }
    out << count << " starts recorded in " << allRecorded / 1000000 << " ms; window thread"
        << " unanswered at most " << longestGap / 1000000 << " ms; resident "
        << residentBefore / 1024 << " MB before, " << residentKiB() / 1024 << " MB after "
        << history->topLevelItemCount() << " history rows; " << openDescriptors()
        << " descriptors open\n";
    if (program.contains(' '))
        return 0;
    const qint64 floor = bareSpawnsMs(count, program);
    out << count << " bare spawns of " << program << " on this machine: " << floor << " ms\n";
    out << "ratio: " << QString::number(double(allRecorded / 1000000) / double(qMax<qint64>(1, floor)), 'f', 2)
        << "\n";
    return 0;
}
