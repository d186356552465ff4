#include "nextrun.h"

#include "duerules.h"
#include "files/runtimeerror.h"
#include "minutescheduler.h"
#include "schedule/scheduleentry.h"

#include <QTimeZone>

namespace {

constexpr qint64 kMinutesPerDay = 1440;

// A field the weekday rule can match: the number as the scheduler writes it.
int canonicalNumber(const QString &text, int highest)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value <= highest && QString::number(value) == text ? value : -1;
}

qint64 wallMinute(const QDateTime &utc)
{
    return MinuteScheduler::wallClockMinute(utc.toLocalTime());
}

// The first wall-clock minute from `first` to `last` at which the entry is
// due, each examined once; none when there is none.
std::optional<qint64> firstDue(const ScheduleEntry &entry, const DateFilter &dates, qint64 period,
                               qint64 first, qint64 last)
{
    for (qint64 day = first / kMinutesPerDay; day <= last / kMinutesPerDay; ++day) {
        const qint64 dayStart = day * kMinutesPerDay;
        if (dates.narrows() && !dates.allows(MinuteScheduler::wallClockDate(dayStart)))
            continue;
        qint64 candidate = 0;
        if (period > 0) {
            const qint64 from = qMax(first - dayStart, qint64(0));
            candidate = dayStart + (from + period - 1) / period * period;
            if (candidate >= dayStart + kMinutesPerDay)
                continue;
        } else {
            if (!entry.runsOn(MinuteScheduler::wallClockDate(dayStart).dayOfWeek()))
                continue;
            candidate = dayStart + entry.hour.toInt() * 60 + entry.minute.toInt();
            if (candidate < first)
                continue;
        }
        if (candidate <= last)
            return candidate;
    }
    return std::nullopt;
}

// A tick the scheduler makes at `tick`, examined by its own plan.
bool dueAtTick(const DueEntry &due, qint64 &lastExamined, qint64 current)
{
    const MinuteScheduler::Plan plan = MinuteScheduler::plan(lastExamined, current);
    lastExamined = plan.lastExamined;
    return MinuteScheduler::dueIn(due, plan);
}

} // namespace

NextRun nextRunOf(const ScheduleEntry &entry, const QDateTime &now, const SchedulerMinutes &state)
{
    NextRun next;
    qint64 period = 0;
    if (!entry.isIntervalEntry()) {
        if (!entry.anyDayTicked()) {
            next.never = NextRun::NoDay;
            return next;
        }
        if (canonicalNumber(entry.minute, 59) < 0 || canonicalNumber(entry.hour, 23) < 0) {
            next.never = NextRun::NotANumber;
            return next;
        }
    } else {
        try {
            const int minute = StrToInt(entry.minute);
            const int hour = StrToInt(entry.hour);
            IntervalDue(0, 0, hour, minute); // raises for a period of 0
            period = qAbs(qint64(hour) * 60 + minute);
        } catch (const EConvertError &error) {
            next.never = NextRun::BadField;
            next.reason = error.message();
            return next;
        }
    }

    // Whatever keeps the scheduler from running the entry keeps it from a next run.
    const DueEntry due(entry);
    if (!due.optionsError().isEmpty()) {
        next.never = NextRun::BadField;
        next.reason = due.optionsError();
        return next;
    }
    if (due.isPaused()) {
        next.never = NextRun::Paused;
        return next;
    }
    const DateFilter &dates = due.dates();

    // The scheduler's ticks, one a real minute, replayed: where the wall
    // clock moves a minute a tick, each minute is examined once and the
    // first due one is found at once; around a change of the clock's
    // offset, tick by tick, by the pass's own plan.
    const qint64 nowMinute = MinuteScheduler::wallClockMinute(now);
    qint64 lastExamined = state.lastExamined.value_or(nowMinute);
    const QDateTime nowUtc = now.toUTC();
    QDateTime tick(nowUtc.date(), QTime(nowUtc.time().hour(), nowUtc.time().minute()), Qt::UTC);
    if (state.lastTick.value_or(nowMinute) == nowMinute)
        tick = tick.addSecs(60);
    // Past a week and a day every weekday has come; a day of the month, a
    // month and a weekday meet within the 28 years after which the calendar
    // repeats (a Monday 29 February), or never.
    const QDateTime horizon = dates.narrows() ? tick.addYears(28).addDays(9) : tick.addDays(9);
    const QTimeZone zone = QTimeZone::systemTimeZone();
    while (tick < horizon) {
        const qint64 current = wallMinute(tick);
        if (current != lastExamined + 1) {
            if (dueAtTick(due, lastExamined, current)) {
                next.at = tick.toLocalTime();
                return next;
            }
            tick = tick.addSecs(60);
            continue;
        }
        // Up to the next change of offset the wall clock keeps step.
        QDateTime change = zone.hasTransitions() ? zone.nextTransition(tick).atUtc : QDateTime();
        if (!change.isValid() || change > horizon)
            change = horizon;
        const qint64 ticks = qMax(qint64(1), (tick.secsTo(change) + 59) / 60);
        if (const auto found = firstDue(entry, dates, period, current, current + ticks - 1)) {
            next.at = tick.addSecs((*found - current) * 60).toLocalTime();
            return next;
        }
        lastExamined = current + ticks - 1;
        tick = tick.addSecs(ticks * 60);
    }
    next.never = dates.narrows() ? NextRun::NoDate : NextRun::NoDay;
    return next;
}

QString nextRunText(const NextRun &next, const QDate &today, const NextRunWords &words,
                    QString *reason)
{
    reason->clear();
    switch (next.never) {
    case NextRun::NoDay:
        *reason = words.noDay;
        return words.never;
    case NextRun::NotANumber:
        *reason = words.notANumber;
        return words.never;
    case NextRun::BadField:
        *reason = next.reason;
        return words.never;
    case NextRun::Paused:
        return words.paused;
    case NextRun::NoDate:
        *reason = words.noDate;
        return words.never;
    case NextRun::No:
        break;
    }
    const qint64 days = today.daysTo(next.at.date());
    const QString day = days == 0   ? words.today
                        : days == 1 ? words.tomorrow
                        : days > 7  ? next.at.date().toString(words.dateFormat)
                                    : words.days[next.at.date().dayOfWeek() - 1];
    return day + QLatin1Char(' ') + next.at.time().toString(QStringLiteral("HH:mm"));
}
