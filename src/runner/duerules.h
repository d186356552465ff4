#pragma once

#include <QDateTime>
#include <QString>

#include "schedule/entryoptions.h"

struct ScheduleEntry;

// The clock values one examination of the schedule works with.
struct MinuteValues
{
    QString weekdayDigit; // "1" Monday ... "7" Sunday
    QString minuteHour;   // minute "|" hour, no leading zeros: "5|9" at 09:05
    int minute = 0;
    int hour = 0;
    int weekday = 1; // 1 Monday ... 7 Sunday
    QDate date;      // the wall clock's date

    static MinuteValues of(const QDateTime &time);
    // From the wall clock's date and time as such: no time zone is asked to
    // normalise a minute that a daylight-saving night skips.
    static MinuteValues of(const QDate &date, const QTime &time);
};

// (currentHour × 60 + currentMinute) is a multiple of (hour × 60 + minute).
// Raises EConvertError "Division par zéro" for a period of 0.
bool IntervalDue(int currentHour, int currentMinute, int hour, int minute);

// StrToInt: a decimal integer with optional sign and blanks-free text, or
// EConvertError "'%s' n'est pas une valeur entière correcte".
int StrToInt(const QString &text);

// One schedule entry as the scheduler decides on it, read once for all the
// passes until the list changes. A weekday entry is due when its minute "|"
// hour text is the minute-hour text of the clock and the day's flag is
// exactly "1"; an interval entry when the minutes since midnight are a
// multiple of its period.
class DueEntry
{
public:
    explicit DueEntry(const ScheduleEntry &entry);

    bool isInterval() const { return m_interval; }
    // Raises EConvertError for an interval entry whose minute (first) or hour
    // is not an integer, and for a period of 0.
    bool isDue(const MinuteValues &now) const;
    const QString &target() const { return m_target; }
    const QString &name() const { return m_name; }
    // A suspended entry, or one whose options cannot be read, is never due.
    bool isPaused() const { return m_paused; }
    const DateFilter &dates() const { return m_dates; }
    // Why the options cannot be read; empty when they can.
    const QString &optionsError() const { return m_optionsError; }
    // Runs once, late, for due minutes that went by unexamined.
    bool catchesUp() const { return m_catchesUp && m_optionsError.isEmpty(); }

private:
    bool m_interval = false;
    QString m_minuteHour;   // weekday entry: minute "|" hour
    quint8 m_days = 0;      // weekday entry: bit d-1 when day d's flag is exactly "1"
    qint64 m_period = 0;    // interval entry, in minutes
    QString m_error;        // interval entry whose fields cannot be used
    QString m_target;
    QString m_name;
    bool m_paused = false;
    bool m_catchesUp = false;
    DateFilter m_dates;
    QString m_optionsError;
};
