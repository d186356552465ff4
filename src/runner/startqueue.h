#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <deque>
#include <functional>

// What a pass asks to be done, in its order, without holding the window
// thread for long: work runs at once while the pass is within its share of
// the thread, and the rest in slices of that length on later turns of the
// event loop, so that thousands of starts due in one minute leave the window
// answering in between. A small pass is done before it returns.
class StartQueue : public QObject
{
public:
    using Work = std::function<void()>;

    // `sliceMs`: how long work may hold the thread before the event loop
    // gets its turn. What a deferred piece of work raises goes to the
    // application-wide handler, as from any event handler.
    explicit StartQueue(int sliceMs, QObject *parent = nullptr);

    // A pass begins: its share of the thread starts now, unless work of an
    // earlier pass still waits, which then goes first.
    void beginPass();
    // Runs `work` now when nothing waits and the share lasts, else after
    // what waits. Run now, what it raises reaches the caller.
    void post(Work work);

    bool idle() const { return m_waiting.empty(); }
    std::size_t waiting() const { return m_waiting.size(); }

private:
    void runSlice();

    const qint64 m_sliceNs;
    std::deque<Work> m_waiting;
    QElapsedTimer m_share;
    bool m_sliceQueued = false;
};
