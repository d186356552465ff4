#include "eventrecorder.h"

#include "files/runtimeerror.h"
#include "journal.h"
#include "platform/platform.h"

EventRecorder::EventRecorder(QString programDirectory, Clock clock, TimeText timeText,
                             QObject *parent)
    : QObject(parent), m_programDirectory(std::move(programDirectory)), m_clock(std::move(clock)),
      m_timeText(std::move(timeText))
{
    if (!m_timeText)
        m_timeText = [](const QTime &time) { return Platform::longTimeText(time); };
}

QString EventRecorder::timeText() const
{
    return m_timeText(m_clock().time());
}

void EventRecorder::ecrirejournal(const QString &line)
{
    Journal::append(m_programDirectory, m_clock(), line);
}

void EventRecorder::recordStart(const QString &subject, const QString &output)
{
    emit recorded({RecordedEvent::Start, timeText(), QString(), subject, output});
    if (m_journalling)
        ecrirejournal(timeText() + QLatin1Char(';') + subject);
}

void EventRecorder::recordFailure(const QString &status, const QString &subject, const QString &output)
{
    emit recorded({RecordedEvent::Failure, timeText(), status, subject, output});
    if (m_journalling)
        ecrirejournal(timeText() + QLatin1Char(' ') + status + QLatin1Char(';') + subject);
}

void EventRecorder::recordFailureAt(const QDateTime &at, const QString &status, const QString &subject,
                                    const QString &output)
{
    const QString time = m_timeText(at.time());
    emit recorded({RecordedEvent::Failure, time, status, subject, output});
    if (m_journalling)
        Journal::append(m_programDirectory, at, time + QLatin1Char(' ') + status + QLatin1Char(';') + subject);
}

void EventRecorder::recordNotice(const QString &status, const QString &subject)
{
    emit recorded({RecordedEvent::Notice, timeText(), status, subject});
    if (m_journalling)
        ecrirejournal(timeText() + QLatin1Char(' ') + status + QLatin1Char(';') + subject);
}

void EventRecorder::recordError(const QString &message)
{
    emit recorded({RecordedEvent::Error, timeText(), QString(), message});
    if (!m_journalling)
        return;
    try {
        ecrirejournal(timeText() + QLatin1Char(';') + message);
    } catch (const RuntimeError &second) {
        // Journalling this error failed as well. The same failure has its row
        // already; only a different one gets a row of its own.
        if (second.message() != message)
            emit recorded({RecordedEvent::Error, timeText(), QString(), second.message()});
    }
}
