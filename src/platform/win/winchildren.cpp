#include "winchildren.h"

#include "winshell.h"

#include <windows.h>

namespace Win {

namespace {

// The completion key of the job's messages, and the one that ends the reader.
constexpr ULONG_PTR kJobKey = 1;
constexpr ULONG_PTR kStopKey = 2;

} // namespace

ChildEnds::ChildEnds(Ended ended) : m_ended(std::move(ended))
{
    m_job = CreateJobObjectW(nullptr, nullptr);
    m_port = CreateIoCompletionPort(INVALID_HANDLE_VALUE, nullptr, 0, 1);
    if (!m_job || !m_port)
        return;
    // A started program may put its own children out of the job, and it
    // outlives us: the job only tells ends, it limits nothing.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_BREAKAWAY_OK;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    JOBOBJECT_ASSOCIATE_COMPLETION_PORT port{};
    port.CompletionKey = reinterpret_cast<PVOID>(kJobKey);
    port.CompletionPort = m_port;
    if (!SetInformationJobObject(m_job, JobObjectAssociateCompletionPortInformation, &port,
                                 sizeof port)) {
        CloseHandle(m_job);
        m_job = nullptr;
        return;
    }
    m_reader = std::thread([this] { readPort(); });
}

ChildEnds::~ChildEnds()
{
    if (m_reader.joinable()) {
        PostQueuedCompletionStatus(m_port, 0, kStopKey, nullptr);
        m_reader.join();
    }
    for (const auto &[id, child] : m_children)
        CloseHandle(child.process);
    // Closing the job ends none of its processes: it has no such limit.
    if (m_job)
        CloseHandle(m_job);
    if (m_port)
        CloseHandle(m_port);
}

bool ChildEnds::watch(void *process, std::uint64_t key)
{
    if (!m_reader.joinable())
        return false;
    const HANDLE handle = static_cast<HANDLE>(process);
    const unsigned long id = GetProcessId(handle);
    bool joined = false;
    {
        // Held while the process joins the job, so that the reader, told of
        // its end at once, finds it.
        std::lock_guard guard(m_lock);
        joined = id != 0 && AssignProcessToJobObject(static_cast<HANDLE>(m_job), handle);
        if (joined)
            m_children[id] = {process, key};
    }
    // A process that has ended cannot join, and one that ended as it joined
    // sends no message: either way its end is known now.
    const bool ended = WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
    if (joined && ended)
        reportEnd(id);
    else if (!joined && ended)
        m_ended(key, endedProcessCode(process));
    return joined || ended;
}

std::size_t ChildEnds::running() const
{
    std::lock_guard guard(m_lock);
    return m_children.size();
}

void ChildEnds::readPort()
{
    for (;;) {
        DWORD message = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED detail = nullptr;
        if (!GetQueuedCompletionStatus(static_cast<HANDLE>(m_port), &message, &key, &detail,
                                       INFINITE))
            continue;
        if (key == kStopKey)
            return;
        // The children of a started program join the job too: their ends
        // find no entry and pass.
        if (key == kJobKey && (message == JOB_OBJECT_MSG_EXIT_PROCESS ||
                               message == JOB_OBJECT_MSG_ABNORMAL_EXIT_PROCESS))
            reportEnd(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(detail)));
    }
}

void ChildEnds::reportEnd(unsigned long processId)
{
    Child child{};
    {
        std::lock_guard guard(m_lock);
        const auto found = m_children.find(processId);
        if (found == m_children.end())
            return;
        child = found->second;
        m_children.erase(found);
    }
    // The message may come a moment before the process is signalled.
    WaitForSingleObject(static_cast<HANDLE>(child.process), 5000);
    m_ended(child.key, endedProcessCode(child.process));
}

} // namespace Win
