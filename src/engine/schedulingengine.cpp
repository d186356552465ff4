#include "schedulingengine.h"

#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "journal/errorboundary.h"
#include "journal/journal.h"
#include "journal/purge.h"
#include "platform/platform.h"
#include "runner/examinedminute.h"
#include "runner/runrecord.h"
#include "schedule/lineedit.h"
#include "runner/targetsplit.h"
#include "runner/urltask.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <utility>

namespace {

// How long after the minute's start its timer comes when an alarm is there to come first.
constexpr qint64 kBackstopMs = 500;

} // namespace

SchedulingEngine::SchedulingEngine(Inputs inputs, QObject *parent)
    : QObject(parent), m_inputs(std::move(inputs)), m_schedule(m_inputs.programDirectory),
      m_events(m_inputs.programDirectory, m_inputs.clock, m_inputs.timeText),
      m_past(m_inputs.programDirectory, [this] { return m_lines.items(); }),
      m_launcher(m_events,
                 {.open =
                      [this](const QString &path, const QString &parameters,
                             const Platform::StartOptions &options, Launcher::Report report) {
                          // The bytes of the schedule file, as they stand.
                          Platform::startTarget(Platform::nativePath(path),
                                                Platform::encodeText(parameters), this,
                                                std::move(report), options);
                      },
                  .http = [this](const QString &url, const QString &subject, Launcher::Outcome outcome) {
                      http(m_events, url, this, {}, {}, subject, outcome);
                  }}),
      m_starts(m_inputs.startSliceMs),
      // All through the queue, in the pass's order: the record of the
      // examined minute comes after that minute's starts were made.
      m_scheduler(m_lines,
                  {.start =
                       [this](const QString &target, const QString &name, const QString &line) {
                           m_starts.post([this, target, name, line] { startTarget(target, name, line); });
                       },
                   .reportError =
                       [this](const QString &message) {
                           m_starts.post([this, message] { m_events.recordError(message); });
                       },
                   .trim =
                       [this] {
                           m_starts.post([] { Platform::trimWorkingSet(Platform::fixedExecutableName()); });
                       },
                   .examined = [this](qint64 minute) { m_starts.post([this, minute] { keepExaminedMinute(minute); }); },
                   .catchUp =
                       [this](const QString &target, const QString &name, const QString &line, qint64 missed) {
                           m_starts.post([this, target, name, line, missed] {
                               m_events.recordNotice(QStringLiteral("Rattrapage ") + missedMinuteText(missed),
                                                     Launcher::subjectOf(target, name));
                               startTarget(target, name, line);
                           });
                       },
                   .startedSince =
                       [this](const QString &line, qint64 minute) {
                           const std::optional<PastRun> past = m_past.of(line);
                           return past && MinuteScheduler::wallClockMinute(past->at) >= minute;
                       }}),
      m_alarm(ErrorBoundary::guarded([this] {
                  armMinuteTimer();
                  wake();
              }),
              this)
{
    connect(&m_events, &EventRecorder::recorded, this, &SchedulingEngine::recorded);
    connect(&m_past, &EntryPast::changed, this, &SchedulingEngine::pastChanged);
    // A file the program keeps is named with its failure: the runtime's text alone says not which.
    connect(&m_past, &EntryPast::writeFailed, this, [this](const QString &message) {
        ErrorBoundary::run([&] { m_events.recordFailure(message, EntryPast::fileName()); });
    });
    // Errors that leave an event handler anywhere in the program are recorded
    // here, as the scheduler's own are.
    ErrorBoundary::setHandler([this](const QString &message) { m_events.recordError(message); });

    m_walker.OnFichier = [this](TScruteDossier &, const QString &Nom) { purgeJournal(Nom); };

    // Just past each minute's start, so that the wake-up reads the new minute.
    m_minuteTimer.setObjectName(QStringLiteral("Timer1"));
    m_minuteTimer.setSingleShot(true);
    m_minuteTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_minuteTimer, &QTimer::timeout, this, ErrorBoundary::guarded([this] {
                // Armed first, so that an error in the minute's work cannot stop the scheduler.
                armMinuteTimer();
                wake();
            }));
}

SchedulingEngine::~SchedulingEngine()
{
    ErrorBoundary::setHandler({});
}

void SchedulingEngine::setSettings(const Settings &settings)
{
    m_settings = settings;
    m_events.setJournalling(settings.journalling);
}

void SchedulingEngine::startUp()
{
    // A write back killed between its temporary and the rename left the
    // temporary behind; nobody else writes ours while this instance runs.
    m_schedule.removeStaleTemporaries();
    m_scheduler.setExaminedByEarlierRun(examinedByEarlierRun());
    // The past is read for the entries the schedule holds, and read even
    // when the schedule cannot be: the runs still going are followed.
    const auto readPast = [this] {
        if (const std::optional<QString> refused = m_past.load())
            m_events.recordFailure(*refused, EntryPast::fileName());
        adoptRuns();
    };
    try {
        loadSchedule();
    } catch (...) {
        readPast();
        throw;
    }
    readPast();
    purgeJournals();
    LastScheduleSize = m_schedule.stamp();
}

std::optional<qint64> SchedulingEngine::examinedByEarlierRun() const
{
    const QString path = m_inputs.programDirectory + ExaminedMinute::fileName();
    // Anything but a short record is no record; a record never stops the start.
    if (QFileInfo(path).size() > 64)
        return std::nullopt;
    try {
        return ExaminedMinute::parse(TextFile::readAll(path));
    } catch (const RuntimeError &) {
        return std::nullopt;
    }
}

void SchedulingEngine::keepExaminedMinute(qint64 minute)
{
    try {
        TextFile::rewriteLine(m_inputs.programDirectory + ExaminedMinute::fileName(),
                              ExaminedMinute::text(minute));
        m_recordFailing = false;
    } catch (const RuntimeError &error) {
        // Told once when it starts failing, not at every minute it goes on
        // failing; scheduling goes on either way.
        if (!std::exchange(m_recordFailing, true))
            m_events.recordFailure(error.message(), ExaminedMinute::fileName());
    }
}

void SchedulingEngine::startMinuteTimer()
{
    // The first pass comes a second after start-up and examines the current minute.
    m_minuteTimer.start(1000);
    // Timers count only the time the machine is awake: after a sleep the
    // minute's start is found again at once, and the gap handled by the rules.
    if (!m_watchingSleep) {
        m_watchingSleep = true;
        Platform::onWakeFromSleep(this, ErrorBoundary::guarded([this] {
                                      armMinuteTimer();
                                      wake();
                                  }));
    }
}

void SchedulingEngine::armMinuteTimer()
{
    // A wake-up that still comes a little early sees the old minute, does
    // nothing, and is armed again for the start it just missed.
    const QDateTime now = QDateTime::currentDateTime();
    const QDateTime next =
        QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())).addSecs(60);
    const qint64 toNext = now.msecsTo(next);
    // A wait of most of a minute may end tens of milliseconds late; the
    // alarm comes at the boundary itself, and the timer only backs it up.
    if (m_alarm.arm(next.toMSecsSinceEpoch() + 1))
        m_minuteTimer.start(int(qBound(qint64(1), toNext + kBackstopMs, qint64(61000 + kBackstopMs))));
    else
        m_minuteTimer.start(int(qBound(qint64(1), toNext + 1, qint64(61000))));
}

void SchedulingEngine::wake()
{
    // A failed reload must not keep the pass from running what it still has.
    ErrorBoundary::run([this] { minuteCheck(); });
    runPass();
}

void SchedulingEngine::runPass()
{
    m_starts.beginPass();
    m_scheduler.tick(m_inputs.clock());
    emit passed();
}

void SchedulingEngine::minuteCheck()
{
    reloadWhenChanged();
    if (m_inputs.clock().toString(QStringLiteral("hh:mm")) == QLatin1String("00:00")) {
        emit historyClearDue();
        // A program resident for weeks purges as one started every day would.
        purgeJournals();
    }
}

void SchedulingEngine::clearSchedule()
{
    m_lines.clear();
    emit scheduleReloaded();
}

void SchedulingEngine::loadSchedule()
{
    m_lines.clear();
    try {
        if (!m_schedule.exists()) {
            m_schedule.CreateScheduleFile();
            emit scheduleCreated();
        }
        for (const QString &line : m_schedule.readLines())
            m_lines.add(line);
    } catch (...) {
        // What shows the lines shows that there are none, then the error goes on.
        emit scheduleReloaded();
        throw;
    }
    emit scheduleReloaded();
    tellOptionsWithoutEffect();
}

void SchedulingEngine::tellOptionsWithoutEffect()
{
    // A document is handed to the desktop's opener, whose viewer is no run of
    // ours to wait for or to stop: said once a load, as a bad option is.
    for (int index = 1; index < m_lines.count(); ++index) {
        const ScheduleEntry entry = m_lines.entry(index);
        const EntryOptions options = entry.options();
        QStringList idle;
        if (options.alone())
            idle << QStringLiteral("seul");
        if (options.has(QStringLiteral("max")))
            idle << QStringLiteral("max");
        if (idle.isEmpty() || Launcher::isWebAddress(entry.target))
            continue;
        const LaunchCall call =
            resolveTargetForLaunch(entry.target, Platform::targetSeparators(), &Launcher::targetExists);
        if (!Launcher::targetExists(call.program) || Platform::startsAsProgram(Platform::nativePath(call.program)))
            continue;
        ErrorBoundary::run([&] {
            m_events.recordNotice(QStringLiteral("Sans effet sur un document : ") + idle.join(QStringLiteral(", ")) +
                                      MinuteScheduler::entryNumber(index),
                                  Launcher::subjectOf(entry.target, options.name()));
        });
    }
}

void SchedulingEngine::reloadWhenChanged()
{
    const ScheduleFile::Stamp current = m_schedule.stamp();
    if (current == LastScheduleSize)
        return;
    // Kept only once the read succeeded: after a failed one, the next check
    // tries again, whatever the file then looks like, instead of leaving the
    // schedule empty until it changes.
    LastScheduleSize = ScheduleFile::Stamp::unknown();
    loadSchedule();
    LastScheduleSize = current;
}

void SchedulingEngine::writeBack()
{
    m_schedule.writeBack(m_lines.items());
    reloadWhenChanged();
}

void SchedulingEngine::deleteSelected()
{
    m_lines.DeleteAt(m_lines.itemIndex());
    writeBack();
}

void SchedulingEngine::appendEntry(const ScheduleEntry &entry)
{
    m_schedule.AppendEntry(entry);
}

void SchedulingEngine::appendLine(const QString &line)
{
    if (withoutLineBreaks(line) != line)
        throw EInOutError(5);
    m_schedule.AppendScheduleLine(line);
}

void SchedulingEngine::reloadNow()
{
    LastScheduleSize = ScheduleFile::Stamp::unknown();
    reloadWhenChanged();
}

bool SchedulingEngine::replaceLine(int index, const QString &expected, const QString &replacement)
{
    if (withoutLineBreaks(replacement) != replacement)
        throw EInOutError(5);
    QStringList lines = m_schedule.readLines();
    if (index <= 0 || index >= lines.size() || lines.at(index) != expected)
        return false;
    lines[index] = replacement;
    m_schedule.writeBack(lines);
    m_past.carry(expected, replacement);
    reloadNow();
    return true;
}

void SchedulingEngine::setPaused(const QList<int> &indexes, bool paused)
{
    QStringList lines = m_schedule.readLines();
    QList<std::pair<QString, QString>> carried;
    for (int index : indexes) {
        if (index <= 0 || index >= lines.size() || lines.at(index) != m_lines.item(index) ||
            lines.at(index).isEmpty())
            continue;
        const QString changed = LineEdit::withPause(lines.at(index), paused);
        if (changed != lines.at(index))
            carried.append({lines.at(index), changed});
        lines[index] = changed;
    }
    if (carried.isEmpty())
        return;
    m_schedule.writeBack(lines);
    for (const auto &[from, to] : std::as_const(carried))
        m_past.carry(from, to);
    reloadNow();
}

QString SchedulingEngine::missedMinuteText(qint64 minute)
{
    static const char *const days[] = {"lundi", "mardi", "mercredi", "jeudi", "vendredi", "samedi", "dimanche"};
    const QDate date = MinuteScheduler::wallClockDate(minute);
    return QString::fromLatin1(days[date.dayOfWeek() - 1]) + QLatin1Char(' ') +
           MinuteScheduler::wallClockTime(minute).toString(QStringLiteral("HH:mm"));
}

QString SchedulingEngine::nextOutputFile()
{
    // Only while journalling: the output is found from its start's journal line.
    const QString folder = m_inputs.programDirectory + QStringLiteral("sorties");
    if (!m_settings.journalling || !Platform::makePrivateFolder(folder) || !QFileInfo(folder).isWritable())
        return QString();
    const QString stem = folder + QLatin1Char('/') +
                         m_inputs.clock().toString(QStringLiteral("yyyyMMdd-HHmmss-"));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString path = stem + QString::number(++m_outputSerial) + QStringLiteral(".txt");
        if (!QFileInfo::exists(path))
            return path;
    }
    return QString();
}

QString SchedulingEngine::nextRunFile()
{
    const QString folder = runsFolder();
    if (m_inputs.keeper.isEmpty() || !Platform::makePrivateFolder(folder) ||
        !Platform::makePrivateFolder(folder + QStringLiteral("/ended")))
        return QString();
    // Unique among this instance's runs and any earlier one's still there.
    const QString stem = folder + QLatin1Char('/') + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-")) +
                         QString::number(QCoreApplication::applicationPid()) + QLatin1Char('-');
    return stem + QString::number(++m_runSerial) + QStringLiteral(".run");
}

void SchedulingEngine::startTarget(const QString &target, const QString &name, const QString &line)
{
    const LaunchCall call =
        resolveTargetForLaunch(target, Platform::targetSeparators(), &Launcher::targetExists);
    Launcher::Outcome outcome;
    Platform::StartOptions options;
    const QString subject = call.withParameters
                                ? Launcher::subjectOf(call.program + QLatin1Char(' ') + call.parameters, name)
                                : Launcher::subjectOf(call.program, name);
    if (!line.isEmpty()) {
        const EntryOptions entry = ScheduleEntry::fromLine(line).options();
        if (entry.alone() && m_past.isRunning(line)) {
            m_events.recordNotice(QStringLiteral("Déjà en cours"), Launcher::subjectOf(target, name));
            return;
        }
        options.stopAfterMinutes = entry.stopAfterMinutes();
    }
    options.outputFile = nextOutputFile();
    options.keeper = m_inputs.keeper;
    options.runFile = nextRunFile();
    options.runRecord =
        RunRecord{m_inputs.clock(), line, subject, options.outputFile, options.stopAfterMinutes}.text();
    quint64 run = 0;
    const auto told = std::make_shared<bool>(false);
    if (!line.isEmpty()) {
        run = m_past.begin(line, m_inputs.clock(), options.outputFile);
        if (!options.runFile.isEmpty())
            m_runFiles.insert(run, options.runFile);
        outcome = [told, inner = pastOutcome(run)](const QString &result, bool over) {
            *told = true;
            inner(result, over);
        };
    }
    try {
        if (call.withParameters)
            m_launcher.Exe(call.program, call.parameters, name, outcome, options);
        else
            m_launcher.ExecuteWait(call.program, name, outcome, options);
    } catch (const RuntimeError &error) {
        // Refused before it went anywhere (a web address whose port is no
        // number): nothing will ever tell its end, and "seul" would wait for it forever.
        if (run && !*told)
            pastOutcome(run)(error.message(), true);
        throw;
    }
}

Launcher::Outcome SchedulingEngine::pastOutcome(quint64 run)
{
    return [this, run](const QString &result, bool over) {
        if (over)
            m_runFiles.remove(run);
        m_past.tell(run, result, over);
    };
}

void SchedulingEngine::adoptRuns()
{
    for (const Platform::KeptRun &kept : Platform::keptRuns(runsFolder())) {
        const RunRecord record = RunRecord::parse(kept.record);
        if (!record.start.isValid()) {
            // Not one of ours to record; nothing follows it.
            if (!kept.running)
                Platform::forgetKeptRun(kept.runFile);
            continue;
        }
        const QString line = record.line;
        quint64 run = 0;
        if (!line.isEmpty())
            run = m_past.begin(line, record.start, record.output);
        const Launcher::Outcome outcome = run ? pastOutcome(run) : Launcher::Outcome();
        const QString subject = record.subject;
        const QString output = record.output;
        if (kept.running) {
            if (run)
                m_runFiles.insert(run, kept.runFile);
            Platform::watchKeptRun(kept.runFile, record.stopAfterMinutes, this,
                                   [this, subject, output, outcome](const Platform::TargetEvent &event) {
                                       ErrorBoundary::run([&] { m_launcher.record(event, subject, outcome, output); });
                                   });
            continue;
        }
        Platform::TargetEvent end = kept.end;
        if (end.kind == Platform::TargetEvent::Stopped)
            end.number = record.stopAfterMinutes;
        ErrorBoundary::run([&] { m_launcher.record(end, subject, outcome, output); });
        Platform::forgetKeptRun(kept.runFile);
    }
}

int SchedulingEngine::stopRuns(const QList<int> &indexes)
{
    int asked = 0;
    for (int index : indexes) {
        if (index <= 0 || index >= m_lines.count())
            continue;
        for (quint64 run : m_past.openRuns(m_lines.item(index))) {
            const auto file = m_runFiles.constFind(run);
            if (file != m_runFiles.cend() && Platform::stopKeptRun(*file))
                ++asked;
        }
    }
    return asked;
}

void SchedulingEngine::runNow(int index)
{
    // The header line is no entry.
    if (index <= 0 || index >= m_lines.count())
        return;
    const ScheduleEntry entry = m_lines.entry(index);
    startTarget(entry.target, entry.options().name(), m_lines.item(index));
}

void SchedulingEngine::purgeJournals()
{
    if (!m_settings.purge || !m_settings.journalling)
        return;
    // Only this program's own journals, beside the executable: log files of
    // the scripts it starts, often kept next to it, are none of its business.
    // No message pump during the walk: a wake-up delivered inside it would run
    // a pass in the middle of a purge. A walk over our own folder is short.
    m_walker.Dossier = m_inputs.programDirectory;
    m_walker.Filtre = kJournalFilePattern;
    m_walker.SousDossier = false;
    m_walker.Execute();
    purgeOutputs();
}

void SchedulingEngine::purgeOutputs()
{
    const QDateTime now = m_inputs.clock();
    const QString today = now.toString(QStringLiteral("yyyyMMdd-"));
    const QDir folder(m_inputs.programDirectory + QStringLiteral("sorties"));
    const QFileInfoList files = folder.entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::System);
    for (const QFileInfo &file : files) {
        // Only what we named, never a link, never a run of today (it may still write).
        if (!isOutputFileName(file.fileName()) || file.fileName().startsWith(today) || file.isSymLink() ||
            !file.isFile() || !file.permission(QFileDevice::WriteOwner))
            continue;
        if (journalFileExpired(file.lastModified(), now, m_settings.purgeAfterDays))
            QFile::remove(file.filePath());
    }
}

void SchedulingEngine::purgeJournal(const QString &path)
{
    const QFileInfo file(path);
    // A file gone since the listing has nothing left to delete; one without
    // its write permission is kept, as Windows keeps a read-only file.
    if (!isJournalFileName(file.fileName()) || !file.isFile() ||
        !file.permission(QFileDevice::WriteOwner))
        return;
    // The journal being written today is never old, even with 0 days.
    const QDateTime now = m_inputs.clock();
    if (file.fileName() == Journal::fileNameFor(now.date()))
        return;
    if (journalFileExpired(file.lastModified(), now, m_settings.purgeAfterDays))
        QFile::remove(path);
}
