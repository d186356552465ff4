#pragma once

#include <QDateTime>
#include <QString>

// The clock values one examination of the schedule works with.
struct MinuteValues
{
    QString weekdayDigit; // "1" Monday ... "7" Sunday
    QString minuteHour;   // minute "|" hour, no leading zeros: "5|9" at 09:05
    int minute = 0;
    int hour = 0;

    static MinuteValues of(const QDateTime &time);
};

// (currentHour × 60 + currentMinute) is a multiple of (hour × 60 + minute).
// Raises EConvertError "Division par zéro" for a period of 0.
bool IntervalDue(int currentHour, int currentMinute, int hour, int minute);

// StrToInt: a decimal integer with optional sign and blanks-free text, or
// EConvertError "'%s' n'est pas une valeur entière correcte".
int StrToInt(const QString &text);

// An interval entry: its seven day flags, Monday first, are exactly "0000000".
bool isIntervalEntry(const QString &line);

// A weekday entry due in the minute: field 1 "|" field 2 equals the
// minute-hour text, and the day's flag is exactly "1".
bool weekdayEntryDue(const QString &line, const MinuteValues &now);

// An interval entry due in the minute; raises EConvertError for fields that
// are not integers (minute first) and for a period of 0.
bool intervalEntryDue(const QString &line, const MinuteValues &now);
