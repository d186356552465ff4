#pragma once

#include "entryoptions.h"

#include <QString>
#include <QStringList>

#include <array>

// One line of the schedule read into its named fields, by the rules of
// GetField: each field is followed by '|', a field the line lacks reads as
// empty, and text after the last '|' is no field. The line itself stays the
// stored form: the program writes back the lines it read, not these fields.
struct ScheduleEntry
{
    QString minute;
    QString hour;
    std::array<QString, 7> days; // the day flags as written, Monday first
    QString target;
    // The pieces after the target, each '|'-terminated: the first holds the
    // entry's options, the others nobody reads; a line made by the program
    // keeps them.
    QStringList following;

    EntryOptions options() const { return EntryOptions::fromField(following.value(0)); }

    static ScheduleEntry fromLine(const QString &line);
    // The line of a new entry: every field followed by '|'.
    QString toLine() const;

    // The day's flag is exactly "1"; weekday 1 is Monday, 7 Sunday.
    bool runsOn(int weekday) const;
    // The scheduler's rule for an interval entry: the seven flags joined are exactly "0000000".
    bool isIntervalEntry() const;
    // The view's rule for an interval entry: no flag is "1".
    bool showsAsInterval() const;
    bool anyDayTicked() const { return !showsAsInterval(); }
};
