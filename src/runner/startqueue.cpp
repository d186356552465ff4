#include "startqueue.h"

#include "journal/errorboundary.h"

#include <utility>

StartQueue::StartQueue(int sliceMs, QObject *parent)
    : QObject(parent), m_sliceNs(qint64(sliceMs) * 1000000)
{
}

void StartQueue::beginPass()
{
    if (m_waiting.empty())
        m_share.start();
}

void StartQueue::post(Work work)
{
    if (m_waiting.empty() && m_share.isValid() && m_share.nsecsElapsed() < m_sliceNs) {
        work();
        return;
    }
    m_waiting.push_back(std::move(work));
    if (!std::exchange(m_sliceQueued, true))
        QMetaObject::invokeMethod(this, &StartQueue::runSlice, Qt::QueuedConnection);
}

void StartQueue::runSlice()
{
    m_sliceQueued = false;
    QElapsedTimer slice;
    slice.start();
    // At least one piece of work a slice, however short the slice.
    do {
        const Work work = std::move(m_waiting.front());
        m_waiting.pop_front();
        // One failed start must not keep the others from running, here as
        // within the pass.
        ErrorBoundary::run(work);
    } while (!m_waiting.empty() && slice.nsecsElapsed() < m_sliceNs);
    if (!m_waiting.empty() && !std::exchange(m_sliceQueued, true))
        QMetaObject::invokeMethod(this, &StartQueue::runSlice, Qt::QueuedConnection);
}
