#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

// The ends of started programs, learnt from one job object and its
// completion port, read by one thread of its own: a wait per child would
// meet the system's limit of handles one wait can hold, and cost a thread
// for each group of them.
namespace Win {

class ChildEnds
{
public:
    // `ended` runs once for each watched process, with the key it was
    // watched with and its exit code: on the watcher's thread, or within
    // watch() for a process that had already ended.
    using Ended = std::function<void(std::uint64_t key, unsigned long code)>;

    explicit ChildEnds(Ended ended);
    ~ChildEnds();
    ChildEnds(const ChildEnds &) = delete;
    ChildEnds &operator=(const ChildEnds &) = delete;

    // Takes the process handle and reports the process's end, even when it
    // has already ended. False when the process cannot be put in the job
    // (a job of the caller's own that allows none): the handle stays the
    // caller's.
    bool watch(void *process, std::uint64_t key);

    // The processes watched that have not ended yet.
    std::size_t running() const;

private:
    struct Child
    {
        void *process;
        std::uint64_t key;
    };

    void readPort();
    // Reports the end of the child of this process id, once.
    void reportEnd(unsigned long processId);

    Ended m_ended;
    void *m_job = nullptr;
    void *m_port = nullptr;
    mutable std::mutex m_lock;
    // By process id: while its handle is held here, the id is not reused.
    std::map<unsigned long, Child> m_children;
    std::thread m_reader;
};

} // namespace Win
