#include "minutescheduler.h"

#include "files/runtimeerror.h"
#include "schedule/scheduleentry.h"
#include "schedule/schedulelines.h"

#include <utility>

namespace {
// Beyond this the clock was corrected or the machine slept long: nothing is
// caught up, the current minute is examined as if it followed the last one.
constexpr qint64 kLongestCatchUp = 180;
// A tick this late still examines each missed minute, interval entries included.
constexpr qint64 kLateTick = 5;
// How far back a missed start is caught up.
constexpr qint64 kCatchUpDays = 7;
constexpr qint64 kMinutesPerDay = 1440;

qint64 floorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}
} // namespace

QString MinuteScheduler::entryNumber(int index)
{
    return QStringLiteral(" (N° %1)").arg(index, 3, 10, QLatin1Char('0'));
}

MinuteScheduler::MinuteScheduler(const ScheduleLines &lines, Hooks hooks)
    : m_lines(lines), m_hooks(std::move(hooks))
{
}

qint64 MinuteScheduler::wallClockMinute(const QDateTime &localTime)
{
    return wallClockMinute(localTime.date(), localTime.time());
}

qint64 MinuteScheduler::wallClockMinute(const QDate &date, const QTime &time)
{
    return date.toJulianDay() * kMinutesPerDay + time.hour() * 60 + time.minute();
}

QDate MinuteScheduler::wallClockDate(qint64 minute)
{
    return QDate::fromJulianDay(floorDiv(minute, kMinutesPerDay));
}

QTime MinuteScheduler::wallClockTime(qint64 minute)
{
    const int ofDay = int(minute - floorDiv(minute, kMinutesPerDay) * kMinutesPerDay);
    return QTime(ofDay / 60, ofDay % 60);
}

void MinuteScheduler::tick(const QDateTime &now)
{
    // Nothing a pass starts may run another pass inside it: the outer one
    // would then set the last examined minute back and examine minutes again.
    if (m_inPass) {
        m_heldTick = now;
        return;
    }
    m_inPass = true;
    struct Leave
    {
        bool &inPass;
        ~Leave() { inPass = false; }
    } leave{m_inPass};
    pass(now);
    while (m_heldTick) {
        const QDateTime held = *m_heldTick;
        m_heldTick.reset();
        pass(held);
    }
}

void MinuteScheduler::pass(const QDateTime &now)
{
    const qint64 current = wallClockMinute(now);
    if (m_lastTick == current)
        return;
    m_lastTick = current;
    const std::optional<qint64> before = m_lastExamined;
    const std::optional<qint64> earlier = m_lastExamined ? std::nullopt : std::exchange(m_examinedEarlier, std::nullopt);
    if (!m_lastExamined && earlier == current) {
        // Restarted inside a minute the run before already examined.
        m_lastExamined = current;
        return;
    }

    const Plan plan = MinuteScheduler::plan(m_lastExamined, current);
    // What went by unexamined: while the program was not running, or in a
    // gap longer than the catch-up rules cover.
    const std::optional<qint64> examinedBefore = m_lastExamined ? m_lastExamined : earlier;
    if (examinedBefore && current - *examinedBefore > 1) {
        const qint64 first = qMax(*examinedBefore, m_latestExamined.value_or(*examinedBefore)) + 1;
        const qint64 gap = current - *examinedBefore;
        if (!m_lastExamined || gap > kLongestCatchUp)
            catchUp(first, current - 1, Both, plan);
        else if (gap > kLateTick)
            catchUp(first, current - 1, Interval, plan);
    }
    for (int i = 0; i < plan.count; ++i) {
        const Examination &examination = plan.examinations[i];
        for (qint64 minute = examination.first; minute <= examination.last; ++minute)
            examine(minute, examination.kinds);
    }
    m_lastExamined = plan.lastExamined;
    m_latestExamined = qMax(plan.lastExamined, m_latestExamined.value_or(plan.lastExamined));
    if (m_lastExamined != before && m_hooks.examined)
        m_hooks.examined(*m_lastExamined);
    m_hooks.trim();
}

MinuteScheduler::Plan MinuteScheduler::plan(std::optional<qint64> lastExamined, qint64 current)
{
    Plan plan;
    plan.lastExamined = current;
    const auto add = [&plan](qint64 first, qint64 last, int kinds) {
        plan.examinations[plan.count++] = {first, last, kinds};
    };
    const qint64 gap = lastExamined ? current - *lastExamined : 1;
    // A clock set back by three hours or more is a correction too, as cron has it.
    if (gap == 1 || gap > kLongestCatchUp || gap <= -kLongestCatchUp) {
        add(current, current, Both);
    } else if (gap > 1 && gap <= kLateTick) {
        add(*lastExamined + 1, current, Both);
    } else if (gap > kLateTick) {
        add(current, current, Interval);
        add(*lastExamined + 1, current, Weekday);
    } else {
        // The clock went back: weekday entries wait until it passes the last
        // examined minute again.
        add(current, current, Interval);
        plan.lastExamined = *lastExamined;
    }
    return plan;
}

const DueEntry &MinuteScheduler::entry(int index)
{
    // Lines are read into entries when they change, not at every tick.
    if (m_entriesRevision != m_lines.revision()) {
        m_entries.clear();
        m_entries.reserve(m_lines.count());
        for (const QString &line : m_lines.items())
            m_entries.append(DueEntry(ScheduleEntry::fromLine(line)));
        m_entriesRevision = m_lines.revision();
        // Options that cannot be read are told once a load, not each minute.
        for (int i = 1; i < m_entries.size(); ++i) {
            if (!m_entries.at(i).optionsError().isEmpty())
                m_hooks.reportError(m_entries.at(i).optionsError() + entryNumber(i));
        }
    }
    return m_entries.at(index);
}

bool MinuteScheduler::dueIn(const DueEntry &due, const Plan &plan)
{
    const int kind = due.isInterval() ? Interval : Weekday;
    for (int i = 0; i < plan.count; ++i) {
        const Examination &examination = plan.examinations[i];
        if (!(examination.kinds & kind))
            continue;
        for (qint64 minute = examination.first; minute <= examination.last; ++minute) {
            if (due.isDue(MinuteValues::of(wallClockDate(minute), wallClockTime(minute))))
                return true;
        }
    }
    return false;
}

void MinuteScheduler::catchUp(qint64 first, qint64 last, int kinds, const Plan &plan)
{
    if (!m_hooks.catchUp)
        return;
    // Only what was missed within the last week counts.
    first = qMax(first, last - kCatchUpDays * kMinutesPerDay + 1);
    for (int i = 1; i < m_lines.count(); ++i) {
        try {
            const DueEntry &due = entry(i);
            if (!due.catchesUp() || due.isPaused() || !(kinds & (due.isInterval() ? Interval : Weekday)))
                continue;
            // Its own start in this pass makes up for what it missed.
            if (dueIn(due, plan))
                continue;
            for (qint64 minute = last; minute >= first; --minute) {
                if (due.isDue(MinuteValues::of(wallClockDate(minute), wallClockTime(minute)))) {
                    const QString line = m_lines.item(i);
                    if (!m_hooks.startedSince || !m_hooks.startedSince(line, minute))
                        m_hooks.catchUp(due.target(), due.name(), line, minute);
                    break;
                }
            }
        } catch (const RuntimeError &) {
            // A bad entry is told by the examination of the minute itself.
        }
    }
}

void MinuteScheduler::examine(qint64 minute, int kinds)
{
    const MinuteValues values = MinuteValues::of(wallClockDate(minute), wallClockTime(minute));
    // The count is read at every step: a start may lead to a reload of the list.
    for (int i = 1; i < m_lines.count(); ++i) {
        // One bad entry, or one failed start, must not keep the others from running.
        try {
            const DueEntry &due = entry(i);
            if (!(kinds & (due.isInterval() ? Interval : Weekday)))
                continue;
            if (due.isDue(values)) {
                // A copy: the start may change the list and so the entries.
                const QString target = due.target();
                const QString name = due.name();
                m_hooks.start(target, name, m_lines.item(i));
            }
        } catch (const EConvertError &error) {
            // A bad entry: named as the view numbers it, so that the user finds it.
            m_hooks.reportError(error.message() + entryNumber(i));
        } catch (const RuntimeError &error) {
            m_hooks.reportError(error.message());
        }
    }
}
