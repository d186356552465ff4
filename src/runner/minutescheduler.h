#pragma once

#include "duerules.h"

#include <QDateTime>
#include <QList>

#include <functional>
#include <optional>

class ScheduleLines;

// The once-a-minute pass over the schedule lines. It keeps two wall-clock
// minutes, as the Unix cron service does: the minute of the last tick and the
// last minute whose weekday entries were examined, so that a late tick, a
// short sleep or a daylight-saving change neither runs an entry twice nor
// skips it.
class MinuteScheduler
{
public:
    struct Hooks
    {
        // Starts a due entry's target (split, then Exe or ExecuteWait); `name`
        // is the entry's, empty when it has none; `line` the entry's line.
        std::function<void(const QString &target, const QString &name, const QString &line)> start;
        // Hands an error of one entry to the application-wide handler.
        std::function<void(const QString &message)> reportError;
        // Called once at the end of every pass.
        std::function<void()> trim;
        // The last examined minute moved on: that minute's starts were made.
        std::function<void(qint64 minute)> examined = {};
        // An entry with "rattrapage" was due at `missed`, a minute that went
        // by unexamined: it starts once, now.
        std::function<void(const QString &target, const QString &name, const QString &line,
                           qint64 missed)>
            catchUp = {};
        // The entry of `line` already started for `minute` or a later one, as
        // the record of its runs says: that minute is never caught up again.
        std::function<bool(const QString &line, qint64 minute)> startedSince = {};
    };

    MinuteScheduler(const ScheduleLines &lines, Hooks hooks);

    // One tick at local time `now`. A tick that comes while a pass runs is
    // held and handled right after that pass, by the same rules.
    void tick(const QDateTime &now);

    // The minute an earlier run of the program examined last. When the first
    // tick falls in that very minute, the minute is not examined again; any
    // other minute is examined as at any start, and nothing is caught up.
    void setExaminedByEarlierRun(std::optional<qint64> minute) { m_examinedEarlier = minute; }
    std::optional<qint64> lastExamined() const { return m_lastExamined; }
    std::optional<qint64> lastTick() const { return m_lastTick; }

    enum Kinds { Interval = 1, Weekday = 2, Both = Interval | Weekday };
    // The minutes from `first` to `last` examined for the entries of `kinds`.
    struct Examination
    {
        qint64 first = 0;
        qint64 last = 0;
        int kinds = Both;
    };
    // What one tick at wall-clock minute `current` examines, after the last
    // examined minute `lastExamined`, and the last examined minute after it:
    // the rules the pass follows, for whoever must foresee it.
    struct Plan
    {
        Examination examinations[2];
        int count = 0;
        qint64 lastExamined = 0;
    };
    static Plan plan(std::optional<qint64> lastExamined, qint64 current);
    // `due` is due at a minute `plan` examines for its kind: the tick starts it.
    static bool dueIn(const DueEntry &due, const Plan &plan);

    // " (N° 003)": an entry as the view numbers it, so that the user finds it.
    static QString entryNumber(int index);

    // Minutes since an epoch, counted on the local wall clock: a daylight-saving
    // change shows as a jump of the wall clock, not of this count's meaning.
    static qint64 wallClockMinute(const QDateTime &localTime);
    static qint64 wallClockMinute(const QDate &date, const QTime &time);
    static QDate wallClockDate(qint64 minute);
    static QTime wallClockTime(qint64 minute);

private:
    void pass(const QDateTime &now);
    void examine(qint64 minute, int kinds);
    // The entries that catch up, for the minutes from `first` to `last` that
    // went by unexamined for entries of `kinds`; not those `plan` starts anyway.
    void catchUp(qint64 first, qint64 last, int kinds, const Plan &plan);
    const DueEntry &entry(int index);

    const ScheduleLines &m_lines;
    Hooks m_hooks;
    std::optional<qint64> m_lastTick;
    std::optional<qint64> m_lastExamined;
    std::optional<qint64> m_examinedEarlier;
    // The latest minute this run examined, whatever the clock did since:
    // what it started for is never caught up again.
    std::optional<qint64> m_latestExamined;
    bool m_inPass = false;
    std::optional<QDateTime> m_heldTick;
    QList<DueEntry> m_entries;
    std::optional<quint64> m_entriesRevision;
};
