#include "nextrun.h"

#include "duerules.h"
#include "files/runtimeerror.h"
#include "schedule/scheduleentry.h"

namespace {

// A field the weekday rule can match: the number as the scheduler writes it.
int canonicalNumber(const QString &text, int highest)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value <= highest && QString::number(value) == text ? value : -1;
}

// A wall-clock minute that the local clock shows on that date (not one a
// daylight-saving night skips).
bool exists(const QDate &date, const QTime &time)
{
    const QDateTime at(date, time);
    return at.isValid() && at.time() == time && at.date() == date;
}

// The first minute at or after (date, time) that the local clock shows.
QDateTime shownMinute(const QDate &date, const QTime &time)
{
    QTime at = time;
    for (int minutes = 0; minutes < 180 && !exists(date, at); ++minutes)
        at = at.addSecs(60);
    return QDateTime(date, at);
}

} // namespace

NextRun nextRunOf(const ScheduleEntry &entry, const QDateTime &now)
{
    const QDate today = now.date();
    const int current = now.time().hour() * 60 + now.time().minute();
    NextRun next;
    if (!entry.isIntervalEntry()) {
        const int minute = canonicalNumber(entry.minute, 59);
        const int hour = canonicalNumber(entry.hour, 23);
        if (!entry.anyDayTicked()) {
            next.never = NextRun::NoDay;
            return next;
        }
        if (minute < 0 || hour < 0) {
            next.never = NextRun::NotANumber;
            return next;
        }
        for (int days = 0; days <= 7; ++days) {
            const QDate date = today.addDays(days);
            if (days == 0 && hour * 60 + minute <= current)
                continue;
            if (entry.runsOn(date.dayOfWeek())) {
                next.at = shownMinute(date, QTime(hour, minute));
                return next;
            }
        }
        next.never = NextRun::NoDay;
        return next;
    }
    qint64 period = 0;
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
    for (int days = 0; days <= 1; ++days) {
        const QDate date = today.addDays(days);
        for (qint64 t = days == 0 ? (current / period + 1) * period : 0; t < 1440; t += period) {
            const QTime time(int(t / 60), int(t % 60));
            if (exists(date, time)) {
                next.at = QDateTime(date, time);
                return next;
            }
        }
    }
    next.at = QDateTime(today.addDays(2), QTime(0, 0));
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
    case NextRun::No:
        break;
    }
    const qint64 days = today.daysTo(next.at.date());
    const QString day = days == 0 ? words.today
                        : days == 1 ? words.tomorrow
                                    : words.days[next.at.date().dayOfWeek() - 1];
    return day + QLatin1Char(' ') + next.at.time().toString(QStringLiteral("HH:mm"));
}
