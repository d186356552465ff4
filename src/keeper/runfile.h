#pragma once

#include <string>

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
    RunFile(std::string path, int fd);

    bool held() const { return m_fd >= 0; }
    // Where a stop request is written, beside the file.
    std::string requestPath() const;

    // "result exited 3", "result killed 9", "result stopped 60000",
    // "result requested 0", "result refused 2", with the time of the end.
    void end(const char *kind, long number);

private:
    std::string m_path;
    int m_fd = -1;
};
