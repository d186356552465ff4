#pragma once

#include <stddef.h>
#include <stdint.h>

// What a run writes, as it comes: the first `kept` bytes into the output
// file, the rest read and counted, and at the end the note of what was
// dropped. The file is made, its user's only, with the first byte: a run
// that writes nothing leaves none.
// C headers only, as in all of the Linux keeper: it may be built against a
// C library with a lighter start than the system's (see its CMake target).
class KeptOutput
{
public:
    // The texts are copied; a path too long to hold keeps nothing.
    KeptOutput(const char *path, int64_t kept, const char *noteBefore, const char *noteAfter);
    ~KeptOutput();
    KeptOutput(const KeptOutput &) = delete;
    KeptOutput &operator=(const KeptOutput &) = delete;

    void write(const char *bytes, size_t size);
    // The last writer is gone: the note, when bytes were dropped.
    void finish();

private:
    bool open();

    char m_path[4096];
    int64_t m_kept;
    char m_noteBefore[512];
    char m_noteAfter[512];
    int m_fd = -1;
    bool m_failed = false;
    int64_t m_written = 0;
    int64_t m_dropped = 0;
};
