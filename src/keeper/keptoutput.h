#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// What a run writes, as it comes: the first `kept` bytes into the output
// file, the rest read and counted, and at the end the note of what was
// dropped. The file is made, its user's only, with the first byte: a run
// that writes nothing leaves none.
class KeptOutput
{
public:
    KeptOutput(std::string path, std::int64_t kept, std::string noteBefore, std::string noteAfter);
    ~KeptOutput();
    KeptOutput(const KeptOutput &) = delete;
    KeptOutput &operator=(const KeptOutput &) = delete;

    void write(const char *bytes, std::size_t size);
    // The last writer is gone: the note, when bytes were dropped.
    void finish();

private:
    bool open();

    std::string m_path;
    std::int64_t m_kept;
    std::string m_noteBefore;
    std::string m_noteAfter;
    int m_fd = -1;
    bool m_failed = false;
    std::int64_t m_written = 0;
    std::int64_t m_dropped = 0;
};
