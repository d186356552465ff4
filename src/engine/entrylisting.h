#pragma once

#include "runner/entrypast.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

struct NextRunWords;
struct SentenceWords;

// One entry of the schedule as a terminal lists it.
struct ListedEntry
{
    int number = 0; // its index in the file, as the view's "N°"
    QString name;
    QString schedule; // the new-entry page's sentence
    QString next;     // as the view says it
    QDateTime nextAt; // invalid when it never runs
    QString last;     // empty when it never ran
    QDateTime lastAt;
    QString result;
    QString target;
    bool paused = false;
};

// The entries of the file's `lines` (line 0 the header), with the past the
// runs' file keeps of them, at `now`.
QList<ListedEntry> listEntries(const QStringList &lines, const QHash<QString, PastRun> &past,
                               const NextRunWords &nextWords, const SentenceWords &sentenceWords,
                               const QDateTime &now);

// One line an entry: its number, name, schedule, next run, last run, result
// and target, two blanks apart, "-" for what it has not; or a JSON array.
QByteArray listedAsText(const QList<ListedEntry> &entries);
QByteArray listedAsJson(const QList<ListedEntry> &entries);

// The indexes of the entries that `which` names: the entry of that number,
// or else every entry of that name ("nom="). None when it names nothing.
QList<int> entriesNamed(const QStringList &lines, const QString &which);
