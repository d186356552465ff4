#pragma once

// The file of one run in the runs folder, "<id>.run": what Pendulix wrote of
// the run when it started it, locked for as long as its keeper lives, then
// the end the keeper appends before moving it into "ended/". A Pendulix
// started later reads the lock as "still going", the move as "ended", and a
// file left unlocked where it was as a keeper that was lost.
class RunFile
{
public:
    // `fd`: the file open for appending and locked, handed over by whoever
    // started us; when it is no such thing, `path` is opened and locked here.
    // `path` is the caller's and outlives us (an argument of ours).
    RunFile(const char *path, int fd);

    bool held() const { return m_fd >= 0; }
    // Where a stop request is written, beside the file; empty when the
    // path is too long to hold it.
    const char *requestPath() const { return m_requestPath; }

    // "result exited 3", "result killed 9", "result stopped 60000",
    // "result requested 0", "result refused 2", with the time of the end.
    void end(const char *kind, long number);

private:
    const char *m_path;
    char m_requestPath[4096];
    int m_fd = -1;
};
