#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

struct ScheduleEntry;

// The text of a target or parameters box without its line breaks.
QString withoutLineBreaks(const QString &text);

// cron-bat.dat in the program directory: line 0 the header line, then one
// entry per line (ScheduleEntry). Every routine raises
// EInOutError with the runtime's text on failure.
class ScheduleFile
{
public:
    explicit ScheduleFile(const QString &programDirectory);

    const QString &path() const { return m_path; }
    bool exists() const;

    // Creates or empties the file and writes one empty line: exactly CR LF.
    void CreateScheduleFile() const;
    void RewriteScheduleFile(const QString &line) const;
    void AppendScheduleLine(const QString &line) const;
    // Raises EInOutError 5 for a target canHoldTarget refuses, writing nothing.
    void AppendEntry(const ScheduleEntry &entry) const;

    // A target the file can hold in one line: no "|",
    // which would shift the fields, and no line break.
    static bool canHoldTarget(const QString &target);

    QStringList readLines() const;
    // The write back: all lines at once, or the old file left whole, with
    // the line ends the file has (CR LF unless it has only LF). An empty
    // list writes nothing.
    void writeBack(const QStringList &lines) const;

    // What the reload check compares: an outside edit that keeps the size
    // still changes the last-write time.
    struct Stamp
    {
        qint64 size = 0;
        QDateTime modified;
        bool operator==(const Stamp &) const = default;
        // Matches no file, present or missing.
        static Stamp unknown() { return {-1, {}}; }
    };
    Stamp stamp() const;

    // Our own temporaries left behind by a write back that was killed.
    void removeStaleTemporaries() const;

private:
    QString m_path;
};
