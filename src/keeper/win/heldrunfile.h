#pragma once

#include <string>

// The run's file as its keeper holds it on Windows: open for as long as the
// keeper lives, its run byte locked, shared with readers and with whoever
// deletes it; the end appended, then the file moved into "ended\" by this
// very handle, so that nobody sees it unlocked where it was with its end,
// nor in "ended\" without it.
class HeldRunFile
{
public:
    explicit HeldRunFile(std::wstring path);
    ~HeldRunFile();
    HeldRunFile(const HeldRunFile &) = delete;
    HeldRunFile &operator=(const HeldRunFile &) = delete;

    // False when the file is missing or another keeper holds it.
    bool held() const { return m_file != nullptr; }
    // The name of the event a stop request sets (see winrunfile.h).
    std::wstring stopEventName() const;

    // "result exited 3", "result stopped 60000", "result requested 0",
    // "result refused 2", with the time of the end.
    void end(const char *kind, unsigned long long number);

private:
    std::wstring m_path;
    void *m_file = nullptr;
};
