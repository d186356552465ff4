#include "keptrunwatch.h"

#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QTimer>

namespace Platform::KeptRunWatch {

namespace {

// Ends come in bursts (ten thousand runs of one minute): the folder is read
// once for all of those that ended within this time.
constexpr int kGatherMs = 50;
// How often runs an earlier instance started are looked at for a keeper
// that was lost: theirs is no child of ours, whose end we would hear of.
constexpr int kForeignCheckMs = 1000;

TargetEvent endOf(const QList<QByteArray> &result, qint64 at, int stopAfterMinutes)
{
    // An end seen by the keeper: the output was kept, and cut, by it.
    TargetEvent event{TargetEvent::KeeperLost, 0, false, true, at};
    const QByteArray kind = result.value(1);
    const int number = result.value(2).toInt();
    if (kind == "exited") {
        event.kind = TargetEvent::Exited;
        event.number = number;
    } else if (kind == "killed") {
        event.kind = TargetEvent::Killed;
        event.number = number;
    } else if (kind == "stopped") {
        event.kind = TargetEvent::Stopped;
        event.number = stopAfterMinutes > 0 ? stopAfterMinutes : number / 60000;
    } else if (kind == "requested") {
        event.kind = TargetEvent::StoppedOnRequest;
    } else if (kind == "refused") {
        event.kind = TargetEvent::Refused;
    }
    return event;
}

TargetEvent lost(int signal)
{
    return {TargetEvent::KeeperLost, signal, false, true, 0};
}

QByteArray readSmallFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(64 * 1024);
}

class RunWatch : public QObject
{
public:
    static RunWatch &instance()
    {
        // Lives as long as the process: a run may end at any time.
        static RunWatch *watch = new RunWatch;
        return *watch;
    }

    void add(const QString &runFile, int minutes, QObject *context, Report report, LockTest foreignLock)
    {
        const QString endedFolder = runFile.left(runFile.lastIndexOf(QLatin1Char('/'))) + QStringLiteral("/ended");
        if (!m_folders.directories().contains(endedFolder))
            m_folders.addPath(endedFolder);
        m_runs.insert(runFile, {context, std::move(report), minutes, foreignLock});
        if (foreignLock && !m_foreignCheck.isActive())
            m_foreignCheck.start();
        // It may have ended before it was watched.
        if (!m_gather.isActive())
            m_gather.start();
    }

    void keeperEnded(const QString &runFile, int signal)
    {
        if (!m_runs.contains(runFile))
            return;
        if (QFile::exists(endedPath(runFile)))
            deliverEnded(runFile);
        else
            deliverLost(runFile, signal);
    }

private:
    struct Watch
    {
        QPointer<QObject> context;
        Report report;
        int minutes = 0;
        // Set for a run whose keeper is no child of ours.
        LockTest foreignLock = nullptr;
    };

    RunWatch()
    {
        m_gather.setSingleShot(true);
        m_gather.setInterval(kGatherMs);
        connect(&m_gather, &QTimer::timeout, this, &RunWatch::gather);
        connect(&m_folders, &QFileSystemWatcher::directoryChanged, this, [this] {
            if (!m_gather.isActive())
                m_gather.start();
        });
        m_foreignCheck.setInterval(kForeignCheckMs);
        connect(&m_foreignCheck, &QTimer::timeout, this, &RunWatch::checkForeign);
    }

    void gather()
    {
        QSet<QString> ended;
        for (const QString &folder : m_folders.directories()) {
            const QString base = folder.chopped(5); // without "ended"
            for (const QString &name : QDir(folder).entryList({QStringLiteral("*.run")}, QDir::Files))
                ended.insert(base + name);
        }
        for (const QString &runFile : std::as_const(ended)) {
            if (m_runs.contains(runFile))
                deliverEnded(runFile);
        }
    }

    void checkForeign()
    {
        QList<QString> foreign;
        for (auto it = m_runs.cbegin(); it != m_runs.cend(); ++it) {
            if (it->foreignLock)
                foreign.append(it.key());
        }
        if (foreign.isEmpty()) {
            m_foreignCheck.stop();
            return;
        }
        for (const QString &runFile : std::as_const(foreign)) {
            const auto watch = m_runs.constFind(runFile);
            if (watch == m_runs.cend())
                continue;
            if (QFile::exists(endedPath(runFile)))
                deliverEnded(runFile);
            else if (!watch->foreignLock(runFile))
                deliverLost(runFile, 0);
        }
    }

    // Whoever watched it is gone: what the run left stays for a later instance.
    bool unwatched(const QString &runFile)
    {
        const auto watch = m_runs.constFind(runFile);
        if (watch == m_runs.cend() || watch->context)
            return false;
        m_runs.erase(watch);
        return true;
    }

    void deliverEnded(const QString &runFile)
    {
        if (unwatched(runFile))
            return;
        const QString ended = endedPath(runFile);
        const KeptRun run = parse(runFile, readSmallFile(ended), m_runs.value(runFile).minutes);
        QFile::remove(ended);
        deliver(runFile, run.end);
    }

    void deliverLost(const QString &runFile, int signal)
    {
        if (unwatched(runFile))
            return;
        // A keeper whose move into "ended/" failed left its end where it was.
        const KeptRun run = parse(runFile, readSmallFile(runFile), m_runs.value(runFile).minutes);
        QFile::remove(runFile);
        QFile::remove(requestPath(runFile));
        deliver(runFile, run.end.kind != TargetEvent::KeeperLost ? run.end : lost(signal));
    }

    void deliver(const QString &runFile, const TargetEvent &end)
    {
        const Watch watch = m_runs.take(runFile);
        if (watch.context && watch.report)
            watch.report(end);
    }

    QHash<QString, Watch> m_runs;
    QFileSystemWatcher m_folders;
    QTimer m_gather;
    QTimer m_foreignCheck;
};

} // namespace

QString endedPath(const QString &runFile)
{
    const qsizetype slash = runFile.lastIndexOf(QLatin1Char('/'));
    return runFile.left(slash + 1) + QStringLiteral("ended/") + runFile.mid(slash + 1);
}

QString requestPath(const QString &runFile)
{
    return runFile.chopped(runFile.endsWith(QLatin1String(".run")) ? 4 : 0) + QStringLiteral(".stop");
}

KeptRun parse(const QString &runFile, const QByteArray &bytes, int stopAfterMinutes)
{
    KeptRun run{runFile, {}, false, lost(0)};
    bool ended = false;
    qint64 at = 0;
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.startsWith("end ")) {
            ended = true;
            at = line.mid(4).toLongLong();
        } else if (line.startsWith("result ") && ended) {
            run.end = endOf(line.split(' '), at, stopAfterMinutes);
        } else if (!ended && !line.isEmpty()) {
            run.record += line + '\n';
        }
    }
    return run;
}

QList<KeptRun> find(const QString &folder, LockTest locked)
{
    QList<KeptRun> runs;
    const QString base = folder + QLatin1Char('/');
    for (const QString &name : QDir(folder).entryList({QStringLiteral("*.run")}, QDir::Files)) {
        KeptRun run = parse(base + name, readSmallFile(base + name));
        run.running = locked(run.runFile);
        runs.append(run);
    }
    for (const QString &name : QDir(base + QStringLiteral("ended")).entryList({QStringLiteral("*.run")}, QDir::Files))
        runs.append(parse(base + name, readSmallFile(endedPath(base + name))));
    return runs;
}

void watchOwn(const QString &runFile, int stopAfterMinutes, QObject *context, Report report)
{
    RunWatch::instance().add(runFile, stopAfterMinutes, context, std::move(report), nullptr);
}

void keeperEnded(const QString &runFile, int signal)
{
    RunWatch::instance().keeperEnded(runFile, signal);
}

void watchForeign(const QString &runFile, int stopAfterMinutes, LockTest locked, QObject *context,
                  Report report)
{
    RunWatch::instance().add(runFile, stopAfterMinutes, context, std::move(report), locked);
}

void forget(const QString &runFile)
{
    QFile::remove(runFile);
    QFile::remove(endedPath(runFile));
    QFile::remove(requestPath(runFile));
}

} // namespace Platform::KeptRunWatch
