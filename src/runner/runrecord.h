#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What a run's file says of the run, written when it starts so that a later
// instance, finding the run still going or ended, knows whose it is: one
// "word value" line each, the values as the schedule file holds them.
struct RunRecord
{
    QDateTime start;
    QString line;    // the entry's line; empty for a target started by hand
    QString subject; // what the history names the start by
    QString output = {}; // its output file, when kept
    int stopAfterMinutes = 0;

    QByteArray text() const;
    // A record that names no start is no record: `start` is invalid.
    static RunRecord parse(const QByteArray &text);
};
