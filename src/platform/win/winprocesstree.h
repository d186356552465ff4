#pragma once

// A started program and everything it starts from then on, held by a job
// object of its own (inside any job it is already in), so that a time limit
// ends all of it at once.
namespace Win {

class ProcessTree
{
public:
    // Does not take the handle: the caller keeps and closes it.
    explicit ProcessTree(void *process);
    // The processes go on; only the hold on them goes.
    ~ProcessTree();
    ProcessTree(const ProcessTree &) = delete;
    ProcessTree &operator=(const ProcessTree &) = delete;

    // False when the system would not put the process in a job of its own.
    bool holds() const { return m_job != nullptr; }
    // Ends every process of the tree with `code`.
    bool terminate(unsigned long code);

private:
    void *m_job = nullptr;
};

} // namespace Win
