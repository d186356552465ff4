#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

struct ScheduleEntry;

// When an entry runs next after the minute of `now`: when the scheduler,
// from the two wall-clock minutes it keeps, will start it, one tick a real
// minute. So a weekday entry whose minute a spring night skips runs at the
// first minute after it; an interval entry runs in the hour an autumn night
// repeats, a weekday entry only once the clock is past the minute it ran in.
struct NextRun
{
    enum Never { No, NoDay, NotANumber, BadField, Paused, NoDate };
    Never never = No;
    QString reason; // the runtime's text for BadField
    QDateTime at;   // local time, when never is No
};

// The scheduler's own two minutes; both missing: the minute of `now` is the
// last one examined.
struct SchedulerMinutes
{
    std::optional<qint64> lastTick;
    std::optional<qint64> lastExamined;
};

NextRun nextRunOf(const ScheduleEntry &entry, const QDateTime &now,
                  const SchedulerMinutes &state = {});

// The words the view shows a next run with, in the interface's language.
struct NextRunWords
{
    QString today;    // "aujourd'hui"
    QString tomorrow; // "demain"
    QString yesterday; // "hier": when an entry last ran
    QString never;    // "jamais"
    QString days[7];  // "lundi" ... "dimanche"
    QString noDay;    // why an entry without a ticked day never runs
    QString notANumber;
    QString paused; // "suspendue", in place of a next run
    QString noDate; // why days of the month and months that never meet never run
    QString dateFormat = QStringLiteral("dd/MM/yyyy"); // a run more than a week away
};

// "aujourd'hui 09:15", "demain 00:00", "mardi 14:30", "01/01/2027 03:00"
// beyond a week, or the word for never;
// `reason` gets what the tooltip says of a never.
QString nextRunText(const NextRun &next, const QDate &today, const NextRunWords &words,
                    QString *reason);
