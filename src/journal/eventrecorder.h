#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Records events as a History row and, while journalling is on, a Journal
// line, in the one order every writer follows: row, Error signal for a
// failure, then the line with the time taken again.
class EventRecorder
{
public:
    struct Hooks
    {
        std::function<void(const QString &time, const QString &subject)> appendHistoryRow;
        std::function<bool()> journalling;
        std::function<void()> errorSignal;
        std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
        std::function<QString(const QTime &)> timeText;
        // A failure, told before the Error signal: its status and subject.
        std::function<void(const QString &status, const QString &subject)> failure = {};
    };

    EventRecorder(QString programDirectory, Hooks hooks);

    // A target started or opened: T | subject, line T;subject.
    void recordStart(const QString &subject);
    // A failed target or request: T + " " + status | subject, with the Error signal.
    void recordFailure(const QString &status, const QString &subject);
    // An error that reached the application-wide handler: T | message, no
    // Error signal. A failure of its own journal line becomes one more row
    // and is never journalled again.
    void recordError(const QString &message);

    // ecrirejournal: the line into the day's journal file; raises EInOutError.
    void ecrirejournal(const QString &line);

    QString timeText() const;
    const QString &programDirectory() const { return m_programDirectory; }

private:
    QString m_programDirectory;
    Hooks m_hooks;
};
