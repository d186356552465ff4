#pragma once

#include <QDateTime>
#include <QString>

struct ScheduleEntry;

// When an entry runs next after the minute of `now`, by the due rules of the
// scheduler, on the local wall clock. A minute that a daylight-saving night
// skips is not a minute the entry runs in: a weekday entry is caught up at
// the first minute after it, an interval entry waits for its next multiple.
struct NextRun
{
    enum Never { No, NoDay, NotANumber, BadField };
    Never never = No;
    QString reason; // the runtime's text for BadField
    QDateTime at;   // local time, when never is No
};

NextRun nextRunOf(const ScheduleEntry &entry, const QDateTime &now);

// The words the view shows a next run with, in the interface's language.
struct NextRunWords
{
    QString today;    // "aujourd'hui"
    QString tomorrow; // "demain"
    QString never;    // "jamais"
    QString days[7];  // "lundi" ... "dimanche"
    QString noDay;    // why an entry without a ticked day never runs
    QString notANumber;
};

// "aujourd'hui 09:15", "demain 00:00", "mardi 14:30", or the word for never;
// `reason` gets what the tooltip says of a never.
QString nextRunText(const NextRun &next, const QDate &today, const NextRunWords &words,
                    QString *reason);
