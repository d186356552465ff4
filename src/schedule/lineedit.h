#pragma once

#include <QString>

#include <array>
#include <optional>

// What the new-entry page says of an entry: its ten fields and the options
// the page knows.
struct EntryForm
{
    QString minute;
    QString hour;
    std::array<bool, 7> days = {}; // Monday first
    QString target;
    QString name;      // "nom", none when empty
    QString monthDays; // "jours", none when empty
    QString months;    // "mois", none when empty
    bool paused = false;
    bool alone = false;       // "seul"
    int stopAfterMinutes = 0; // "max", none when 0
    bool catchUp = false;     // "rattrapage"
};

// Changes made to a stored line by the program. Only what changes is
// rewritten: the options the program does not know, the pieces after the
// options and any text after the last '|' stay as they were, so a line
// edited back to what it said is the line it was.
namespace LineEdit {

// The line with `pause` set or cleared in its options. Clearing the last
// option of an options field that ends the line takes the field away again:
// a line suspended and resumed is the line it was.
QString withPause(const QString &line, bool paused);

// `line` saying what `form` says: its first ten fields and the page's
// options replaced.
QString edited(const QString &line, const EntryForm &form);

// An option value the file cannot hold: ';' would end the option, '|' the
// field, a line break the line.
bool canHoldOptionValue(const QString &value);

} // namespace LineEdit
