#include "eventrecorder.h"

#include "journal.h"
#include "platform/platform.h"
#include "runtimeerror.h"

EventRecorder::EventRecorder(QString programDirectory, Hooks hooks)
    : m_programDirectory(std::move(programDirectory)), m_hooks(std::move(hooks))
{
    if (!m_hooks.timeText)
        m_hooks.timeText = [](const QTime &time) { return Platform::longTimeText(time); };
}

QString EventRecorder::timeText() const
{
    return m_hooks.timeText(m_hooks.clock().time());
}

void EventRecorder::ecrirejournal(const QString &line)
{
    Journal::append(m_programDirectory, m_hooks.clock(), line);
}

void EventRecorder::recordStart(const QString &subject)
{
    m_hooks.appendHistoryRow(timeText(), subject);
    if (m_hooks.journalling())
        ecrirejournal(timeText() + QLatin1Char(';') + subject);
}

void EventRecorder::recordFailure(const QString &status, const QString &subject)
{
    const QString suffix = QLatin1Char(' ') + status;
    m_hooks.appendHistoryRow(timeText() + suffix, subject);
    if (m_hooks.failure)
        m_hooks.failure(status, subject);
    m_hooks.errorSignal();
    if (m_hooks.journalling())
        ecrirejournal(timeText() + suffix + QLatin1Char(';') + subject);
}

void EventRecorder::recordError(const QString &message)
{
    m_hooks.appendHistoryRow(timeText(), message);
    if (!m_hooks.journalling())
        return;
    try {
        ecrirejournal(timeText() + QLatin1Char(';') + message);
    } catch (const RuntimeError &second) {
        // Journalling this error failed as well. The same failure has its row
        // already; only a different one gets a row of its own.
        if (second.message() != message)
            m_hooks.appendHistoryRow(timeText(), second.message());
    }
}
