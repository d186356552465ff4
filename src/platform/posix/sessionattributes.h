#pragma once

#include <signal.h>
#include <spawn.h>

namespace Posix {

// What every program we start gets from posix_spawn: a session of its own,
// so that it outlives us and our terminal, no blocked signals and default
// handling of every signal (ignored ones would otherwise be inherited).
// Plain C++: the keeper, which has no Qt, starts its program with it too.
class SessionAttributes
{
public:
    SessionAttributes()
    {
        posix_spawnattr_init(&m_attributes);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&m_attributes, &none);
        posix_spawnattr_setsigdefault(&m_attributes, &all);
        posix_spawnattr_setflags(&m_attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    }
    ~SessionAttributes() { posix_spawnattr_destroy(&m_attributes); }
    SessionAttributes(const SessionAttributes &) = delete;
    SessionAttributes &operator=(const SessionAttributes &) = delete;

    const posix_spawnattr_t *get() const { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

} // namespace Posix
