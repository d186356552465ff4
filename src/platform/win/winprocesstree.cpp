#include "winprocesstree.h"

#include <windows.h>

namespace Win {

ProcessTree::ProcessTree(void *process)
{
    // Not "kill on close": what was started outlives us, as any start does.
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return;
    if (!AssignProcessToJobObject(job, static_cast<HANDLE>(process))) {
        CloseHandle(job);
        return;
    }
    m_job = job;
}

ProcessTree::~ProcessTree()
{
    if (m_job)
        CloseHandle(static_cast<HANDLE>(m_job));
}

bool ProcessTree::terminate(unsigned long code)
{
    return m_job && TerminateJobObject(static_cast<HANDLE>(m_job), code);
}

} // namespace Win
