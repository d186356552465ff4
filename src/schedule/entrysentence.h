#pragma once

#include <QString>

class EntryOptions;
struct ScheduleEntry;

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
    QString monthDays;       // Label67 "jours du mois :"
    QString months;          // Label68 "mois :"
    QString lastDay;         // Label69 "dernier jour", for "fin"
    QString paused;          // Label58 "suspendue"
    QString alone;           // Label73 "une seule à la fois"
    QString stopAfter;       // Label74 "arrêtée après", then the minutes
    QString catchUp;         // Label75 "rattrapée si manquée"
};

// Button6Click's sentence for minute M, hour H and the ticked days.
QString composeEntrySentence(const SentenceWords &words, int minute, int hour,
                             const bool days[7]);

// What the options add to the sentence: " ; jours du mois : 1, 15, dernier
// jour ; mois : 1, 7 ; suspendue". The lists as typed, only their commas
// spaced; nothing for options not given.
QString composeOptionsSentence(const SentenceWords &words, const QString &monthDays,
                               const QString &months, bool paused);

// What the options of how it runs add: " ; une seule à la fois ; arrêtée
// après 30 min ; rattrapée si manquée"; nothing for options not given.
QString composeRunSentence(const SentenceWords &words, bool alone, int stopAfterMinutes, bool catchUp);

// Both of the above for the options of an entry of the file; a limit that
// is no number says nothing, its next run says why.
QString composeEntryOptionsSentence(const SentenceWords &words, const EntryOptions &options);
// The whole sentence the new-entry page says of an entry of the file.
QString composeEntrySentence(const SentenceWords &words, const ScheduleEntry &entry);

// The file dialog's filter as the new-entry page gives it, eight
// description|pattern pairs.
extern const QString kTargetFileFilter;

// The same pairs in Qt's syntax, the first selected. `allFiles` is the
// platform's pattern for every file ("*" where "*.*" would miss names
// without a dot).
QStringList qtNameFilters(const QString &pairs, const QString &allFiles);
