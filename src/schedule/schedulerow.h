#pragma once

#include <QString>

#include <functional>

struct ScheduleEntry;

// One row of the schedule view, built from a non-empty line of the file.
struct ScheduleRow
{
    QString number; // "N°": the line's index, three digits at least
    QString time;   // "H": hh:mm, then " *" for an interval entry
    QString source; // program part of the target, or the whole target
    QString target; // "Cible": the parameter part, or empty
    QString next;   // when it runs next ("mardi 14:30", "jamais")
    QString nextReason; // why it never runs, for the tooltip
    bool paused = false; // suspended: drawn greyed
    QString options; // its options as written
    QString name;    // its "nom=" option, the "Nom" column
    QString optionsInWords; // how it runs, said in the interface's language, for the tooltip
    QString lastRun; // when it last started ("hier 03:00"), empty when never
    QString result;  // what that start gave
    QString output;  // the file of that start's output, empty when none
};

// The program and parameter parts of a target, cut at the first blank after
// the first '.'-separated extension.
struct TargetParts
{
    QString program;
    QString parameters;
};

TargetParts splitTarget(const QString &target);

using FileExists = std::function<bool(const QString &path)>;

ScheduleRow makeScheduleRow(int index, const ScheduleEntry &entry, const FileExists &fileExists);

// The split made on the selected entry's target: a target whose second
// '.'-piece holds no blank stands whole as program part.
TargetParts selectionParts(const QString &target);
