#include "minutescheduler.h"

#include "journal/runtimeerror.h"
#include "schedule/fields.h"
#include "schedule/schedulelines.h"

namespace {
// Beyond this the clock was corrected or the machine slept long: nothing is
// caught up, the current minute is examined as if it followed the last one.
constexpr qint64 kLongestCatchUp = 180;
// A tick this late still examines each missed minute, interval entries included.
constexpr qint64 kLateTick = 5;
} // namespace

MinuteScheduler::MinuteScheduler(const ScheduleLines &lines, Hooks hooks)
    : m_lines(lines), m_hooks(std::move(hooks))
{
}

qint64 MinuteScheduler::wallClockMinute(const QDateTime &localTime)
{
    const QTime time = localTime.time();
    return localTime.date().toJulianDay() * 1440 + time.hour() * 60 + time.minute();
}

QDateTime MinuteScheduler::wallClockTime(qint64 minute)
{
    const int ofDay = int(minute % 1440);
    return QDateTime(QDate::fromJulianDay(minute / 1440), QTime(ofDay / 60, ofDay % 60));
}

void MinuteScheduler::tick(const QDateTime &now)
{
    const qint64 current = wallClockMinute(now);
    if (m_lastTick == current)
        return;
    m_lastTick = current;

    const qint64 gap = m_lastExamined ? current - *m_lastExamined : 1;
    if (gap == 1 || gap > kLongestCatchUp || gap < -kLongestCatchUp) {
        examine(current, Both);
        m_lastExamined = current;
    } else if (gap > 1 && gap <= kLateTick) {
        for (qint64 minute = *m_lastExamined + 1; minute <= current; ++minute)
            examine(minute, Both);
        m_lastExamined = current;
    } else if (gap > kLateTick) {
        examine(current, Interval);
        for (qint64 minute = *m_lastExamined + 1; minute <= current; ++minute)
            examine(minute, Weekday);
        m_lastExamined = current;
    } else {
        // The clock went back: weekday entries wait until it passes the last
        // examined minute again.
        examine(current, Interval);
    }
    m_hooks.trim();
}

void MinuteScheduler::examine(qint64 minute, int kinds)
{
    const MinuteValues values = MinuteValues::of(wallClockTime(minute));
    // The count is read at every step: starting an entry lets other handlers
    // run, and a reload may refill the list meanwhile.
    for (int i = 1; i < m_lines.count(); ++i) {
        const QString line = m_lines.item(i);
        // One bad entry, or one failed start, must not keep the others from running.
        try {
            const bool interval = isIntervalEntry(line);
            if (!(kinds & (interval ? Interval : Weekday)))
                continue;
            const bool due = interval ? intervalEntryDue(line, values)
                                      : weekdayEntryDue(line, values);
            if (due)
                m_hooks.start(fieldOf(line, QLatin1Char('|'), 10));
        } catch (const RuntimeError &error) {
            m_hooks.reportError(error.message());
        }
    }
}
