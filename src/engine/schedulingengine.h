#pragma once

#include "journal/Scrute.h"
#include "platform/platform.h"
#include "journal/eventrecorder.h"
#include "runner/entrypast.h"
#include "runner/launcher.h"
#include "runner/minutescheduler.h"
#include "runner/startqueue.h"
#include "schedule/schedulefile.h"
#include "schedule/schedulelines.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// The scheduling engine: the schedule file and its lines, the pass of every
// minute, the starts and their records, the reload of an edited schedule, the
// clearing of the history at midnight and the purge of old journals. It knows
// no window: what a window shows comes out of its signals, and what the user
// set comes in through setSettings.
class SchedulingEngine : public QObject
{
    Q_OBJECT
public:
    struct Inputs
    {
        QString programDirectory; // with its trailing separator
        EventRecorder::Clock clock = [] { return QDateTime::currentDateTime(); };
        // The user's long time format when empty.
        EventRecorder::TimeText timeText = {};
        // How long the starts of a pass hold the window thread before it
        // answers again.
        int startSliceMs = 20;
        // The keeper programs started directly are started with; none when empty.
        QString keeper = {};
    };

    // What the events page sets; its design values.
    struct Settings
    {
        bool journalling = true;  // "Inscrire les événements dans un fichier journal"
        bool purge = true;        // "Suppression après"
        int purgeAfterDays = 1;   // its number of days
    };

    explicit SchedulingEngine(Inputs inputs, QObject *parent = nullptr);
    ~SchedulingEngine() override;

    void setSettings(const Settings &settings);
    const Settings &settings() const { return m_settings; }

    // Start-up: what a killed write back left goes, the minute an earlier run
    // examined last is read back, the schedule is loaded (made on a first
    // run), old journals are purged, the file's stamp is kept.
    void startUp();
    // The first wake-up a second from now, then one at each minute's start.
    void startMinuteTimer();
    QTimer *minuteTimer() { return &m_minuteTimer; }
    // One minute's work: the reload check first, so that an outside edit
    // made during the minute is seen by the pass that follows.
    void wake();

    // The pass over the schedule at the clock's minute.
    void runPass();
    // The reload when the file changed, then in the minute 00:00 the
    // history's clearing and the purge of old journals and outputs.
    void minuteCheck();

    // lirefiche: the lines again from the file, made on a first run.
    void loadSchedule();
    // lirefiche without loading: no lines.
    void clearSchedule();
    // Button1Click: loads the schedule when its file changed since last time.
    void reloadWhenChanged();
    // Button4Click: the lines into the file, then the reload check.
    void writeBack();
    // The selected line out of the list and the file.
    void deleteSelected();
    void appendEntry(const ScheduleEntry &entry);
    // A new entry's line at the end of the file; raises EInOutError 5 for a
    // line break, which would make it two.
    void appendLine(const QString &line);
    // Line `index` of the file replaced by `replacement`, every other line
    // written back as the file holds it. Refused, with nothing written, when
    // the file's line is no longer `expected`: it changed since it was read.
    bool replaceLine(int index, const QString &expected, const QString &replacement);
    // `pause` set or cleared on the listed lines, written at once; a line
    // the file holds otherwise than the list does is left alone.
    void setPaused(const QList<int> &indexes, bool paused);

    // Starts a target as a due entry's is started: split into program and
    // parameters where they name an existing file, recorded the same way.
    // The start of an entry names its `line`, which keeps it as its past.
    void startTarget(const QString &target, const QString &name = QString(),
                     const QString &line = QString());
    // "Lancer maintenant": the entry's target at once; not its run for the minute.
    void runNow(int index);
    // "Arrêter": the running runs of the listed lines are stopped, as at
    // their limit. How many were asked to stop.
    int stopRuns(const QList<int> &indexes);
    // The folder of the runs' files, where a later instance finds them.
    QString runsFolder() const { return m_inputs.programDirectory + QStringLiteral("runs"); }

    // d: the program's old journals go, when both switches are on.
    void purgeJournals();
    // ScruteDossier1Fichier: one journal file offered by the walk.
    void purgeJournal(const QString &path);
    // The output files of "sorties", by the journals' age rule.
    void purgeOutputs();

    EventRecorder &recorder() { return m_events; }
    ScheduleLines &lines() { return m_lines; }
    const ScheduleFile &scheduleFile() const { return m_schedule; }
    Launcher &launcher() { return m_launcher; }
    MinuteScheduler &scheduler() { return m_scheduler; }
    EntryPast &past() { return m_past; }
    // The starts of a pass not made yet: a pass with many holds the window
    // thread for one slice at a time.
    const StartQueue &starts() const { return m_starts; }
    QDateTime now() const { return m_inputs.clock(); }
    const QString &programDirectory() const { return m_inputs.programDirectory; }

    // What the reload check compares the file with.
    ScheduleFile::Stamp LastScheduleSize;

signals:
    void recorded(const RecordedEvent &event);
    // A first run made the schedule file: the user has entries to make.
    void scheduleCreated();
    // The lines changed: whatever shows them shows them again.
    void scheduleReloaded();
    // The minute 00:00 began: the history starts afresh.
    void historyClearDue();
    // An entry's last run or its result changed.
    void pastChanged();
    // A pass examined its minute: every entry's next run moved on.
    void passed();

private:
    void armMinuteTimer();
    // "seul" and "max" on entries whose target opens as a document.
    void tellOptionsWithoutEffect();
    std::optional<qint64> examinedByEarlierRun() const;
    void keepExaminedMinute(qint64 minute);
    // The file's lines changed here: read again at once, whatever the stamp says.
    void reloadNow();
    // "lundi 03:00": the missed minute a catch-up names.
    static QString missedMinuteText(qint64 minute);
    // A new file of the folder "sorties" for a start's output, named from the
    // time of the start; none when nothing is journalled or the folder cannot be written.
    QString nextOutputFile();
    // A new run file's path; empty when there is no keeper or no folder for it.
    QString nextRunFile();
    // Start-up: the runs an earlier instance left, going or ended since.
    void adoptRuns();
    // What start `run` gave goes into the entry's past.
    Launcher::Outcome pastOutcome(quint64 run);

    Inputs m_inputs;
    Settings m_settings;
    ScheduleFile m_schedule;
    ScheduleLines m_lines;
    EventRecorder m_events;
    // After the lines: what it writes last on leaving is checked against them.
    EntryPast m_past;
    Launcher m_launcher;
    StartQueue m_starts;
    MinuteScheduler m_scheduler;
    TScruteDossier m_walker;
    QTimer m_minuteTimer;
    // The minute's wake-up on time, where the platform has it; the timer
    // then only backs it up.
    Platform::WallClockAlarm m_alarm;
    bool m_recordFailing = false;
    int m_outputSerial = 0;
    int m_runSerial = 0;
    // The file of every run a keeper holds, by the start it is in the past.
    QHash<quint64, QString> m_runFiles;
    bool m_watchingSleep = false;
};
