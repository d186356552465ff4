#pragma once

#include <QDateTime>
#include <QHash>
#include <QSet>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <optional>

struct NextRunWords;

// When an entry last started and what that start gave.
struct PastRun
{
    QDateTime at;
    QString result; // "Lancé", "En cours", "Terminé (code 3)", a status line...
    QString output = {}; // the file of its output; not kept across restarts
};

// The last start of every entry and its result, kept across restarts in
// cron-bat.runs beside the schedule: one line per entry, the time, the
// result and the entry's line as the schedule holds it. An entry is known by
// its line, so it keeps its past when other lines come and go; an edit made
// here carries the past over to the new line.
class EntryPast : public QObject
{
    Q_OBJECT
public:
    static QString fileName() { return QStringLiteral("cron-bat.runs"); }
    static QString running() { return QStringLiteral("En cours"); }
    static QString started() { return QStringLiteral("Lancé"); }

    // `currentLines`: the schedule as it stands, what is written keeps only
    // their past.
    EntryPast(QString programDirectory, std::function<QStringList()> currentLines,
              QObject *parent = nullptr);
    // What is not written yet is written now.
    ~EntryPast() override;

    // Reads what an earlier run kept for the entries the schedule has now;
    // a missing or unreadable file is no past. A start an earlier run saw
    // running ended unseen: it counts as started. Only the file's first
    // kMostBytes are read: what is refused beyond them is returned, to be told.
    static constexpr qsizetype kMostBytes = 1 << 20;
    std::optional<QString> load();
    // The file's past of each of `lines`, as written, changing nothing;
    // `whole` false when there was more than kMostBytes.
    static QHash<QString, PastRun> read(const QString &path, const QSet<QString> &lines, bool *whole);

    std::optional<PastRun> of(const QString &line) const;

    // The entry of `line` starts now; what it gives is told with the number returned.
    quint64 begin(const QString &line, const QDateTime &at, const QString &output = QString());
    // What start `run` gave: "En cours" while it runs, then how it ended.
    // Only the entry's latest start says what its row shows.
    void tell(quint64 run, const QString &result, bool over);
    // A start of the entry of `line` has not ended yet.
    bool isRunning(const QString &line) const { return m_running.value(line) > 0; }
    // The starts of the entry of `line` whose end is still to come.
    QList<quint64> openRuns(const QString &line) const { return m_open.keys(line); }
    // The starts of every entry whose end is still to come.
    int openRunCount() const { return int(m_open.size()); }
    // The program replaced `from` with `to`: the past goes with it.
    void carry(const QString &from, const QString &to);

    // Writes now what waits to be written; raises EInOutError.
    void write();
    QString path() const { return m_programDirectory + fileName(); }

signals:
    // A row's last run or result changed.
    void changed();
    // Writing the file failed; told once until a write succeeds again.
    void writeFailed(const QString &message);

private:
    struct Entry
    {
        PastRun run;
        quint64 latest = 0; // the start whose result the entry shows
    };
    void changedNow();

    QString m_programDirectory;
    std::function<QStringList()> m_currentLines;
    QHash<QString, Entry> m_entries;
    // Starts whose end is still to come, and the line they now belong to.
    QHash<quint64, QString> m_open;
    // How many of the open starts each line has.
    QHash<QString, int> m_running;
    quint64 m_nextRun = 1;
    QTimer m_writeTimer;
    bool m_failing = false;
};

// "aujourd'hui 14:30", "hier 03:00", "lundi 14:30" within a week, a date beyond.
QString pastRunText(const QDateTime &at, const QDate &today, const NextRunWords &words);
