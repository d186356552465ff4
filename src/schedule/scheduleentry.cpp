#include "scheduleentry.h"

#include "fields.h"

namespace {
const QChar kBar = QLatin1Char('|');
// Minute, hour, seven flags, target.
constexpr int kFields = 10;
const QString kTicked = QStringLiteral("1");
} // namespace

ScheduleEntry ScheduleEntry::fromLine(const QString &line)
{
    // One split for all the fields; the rules are those of GetField.
    const QStringList pieces = fieldsOf(line, kBar);
    ScheduleEntry entry;
    entry.minute = pieces.value(0);
    entry.hour = pieces.value(1);
    for (int day = 0; day < 7; ++day)
        entry.days[day] = pieces.value(2 + day);
    entry.target = pieces.value(9);
    if (pieces.size() > kFields)
        entry.following = pieces.mid(kFields);
    return entry;
}

QString ScheduleEntry::toLine() const
{
    QStringList pieces{minute, hour};
    for (const QString &flag : days)
        pieces << flag;
    pieces << target << following;
    return pieces.join(kBar) + kBar;
}

bool ScheduleEntry::runsOn(int weekday) const
{
    return weekday >= 1 && weekday <= 7 && days[weekday - 1] == kTicked;
}

bool ScheduleEntry::isIntervalEntry() const
{
    QString flags;
    for (const QString &flag : days)
        flags += flag;
    return flags == QLatin1String("0000000");
}

bool ScheduleEntry::showsAsInterval() const
{
    for (const QString &flag : days) {
        if (flag == kTicked)
            return false;
    }
    return true;
}
