#pragma once

#include <functional>

namespace Posix {

// Calls the handler on the main thread's event loop on SIGTERM or SIGHUP.
// Should the event loop be held, the process ends within a second anyway.
void onSessionEnd(std::function<void()> handler);

// A write past a file-size limit fails with its error instead of ending the
// program (SIGXFSZ ignored); the soft limit of open descriptors is raised to
// the hard one.
void prepareProcess();

} // namespace Posix
