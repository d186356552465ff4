#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

#include <functional>

// One event as the history shows it.
struct RecordedEvent
{
    enum Kind {
        Start,   // a target started or opened, a web address answered
        Failure, // a failed target or request: comes with the Error signal
        Error,   // an error that reached the application-wide handler
        Notice,  // what the scheduler did otherwise than start: a skip, a catch-up
    };
    Kind kind = Start;
    QString time;    // the time text when it was recorded
    QString status;  // a failure's status
    QString subject; // the target, or an error's message
    QString output = {}; // the file of a program's output, for its start and its end

    // The history's time column: the time text, then a failure's status.
    QString historyTime() const
    {
        return kind == Failure || kind == Notice ? time + QLatin1Char(' ') + status : time;
    }
};

// Records events as a History row, reported through `recorded`, and while
// journalling is on a Journal line, in the one order every writer follows:
// the row (with the Error signal for a failure), then the line with the time
// taken again.
class EventRecorder : public QObject
{
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;
    using TimeText = std::function<QString(const QTime &)>;

    // The user's long time format when `timeText` is empty.
    EventRecorder(QString programDirectory, Clock clock, TimeText timeText = {},
                  QObject *parent = nullptr);

    void setJournalling(bool on) { m_journalling = on; }
    bool journalling() const { return m_journalling; }

    // A target started or opened: T | subject, line T;subject.
    void recordStart(const QString &subject, const QString &output = QString());
    // A failed target or request: T + " " + status | subject, line likewise.
    void recordFailure(const QString &status, const QString &subject, const QString &output = QString());
    // The same for what happened at `at`, while nobody was there to record
    // it: the row and the line of that time, in that day's journal.
    void recordFailureAt(const QDateTime &at, const QString &status, const QString &subject,
                         const QString &output = QString());
    // A start not made as due, or made late: recorded as a failure is, but
    // it is no error.
    void recordNotice(const QString &status, const QString &subject);
    // An error that reached the application-wide handler: T | message. A
    // failure of its own journal line becomes one more row and is never
    // journalled again.
    void recordError(const QString &message);

    // ecrirejournal: the line into the day's journal file; raises EInOutError.
    void ecrirejournal(const QString &line);

    QString timeText() const;
    QDateTime now() const { return m_clock(); }
    const QString &programDirectory() const { return m_programDirectory; }

signals:
    void recorded(const RecordedEvent &event);

private:
    QString m_programDirectory;
    Clock m_clock;
    TimeText m_timeText;
    bool m_journalling = true;
};

Q_DECLARE_METATYPE(RecordedEvent)
