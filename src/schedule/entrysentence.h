#pragma once

#include <QString>

// The words an entry is described with, as the hidden labels hold them in
// the current language.
struct SentenceWords
{
    QString opening;         // Label42 "Programmation "
    QString intervalJoin;    // Label33 " tout(es) les "
    QString weekdayJoin;     // Label34 "à "
    QString minutes;         // Label1 "Minutes"
    QString hours;           // Label2 "Heures"
    QString hoursAndMinutes; // Label32 "et"
    QString days[7];         // Label35 .. Label41, Monday first
};

// Button6Click's sentence for minute M, hour H and the ticked days.
QString composeEntrySentence(const SentenceWords &words, int minute, int hour,
                             const bool days[7]);

// The file dialog's filter as the new-entry page gives it, eight
// description|pattern pairs.
extern const QString kTargetFileFilter;

// The same pairs in Qt's syntax, the first selected. `allFiles` is the
// platform's pattern for every file ("*" where "*.*" would miss names
// without a dot).
QStringList qtNameFilters(const QString &pairs, const QString &allFiles);
