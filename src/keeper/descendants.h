#pragma once

#include <signal.h>

// The processes a keeper may signal: its own descendants, each held by a
// process descriptor while it is known to be one. A number read from /proc
// may have been given to someone else by the time it is used; a descriptor
// names one process for good, and is trusted only once the process it holds
// is seen to be the child of a process still held.
namespace Descendants {

// Sends `signal` to every process below the caller, the ones that left
// their session or were left behind by a parent that ended included.
// The number of processes it reached.
int signalAll(int signal);

} // namespace Descendants
