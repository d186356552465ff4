#pragma once

#include <functional>
#include <sys/types.h>

class QObject;

namespace Posix {

// Reaps a child we started when it ends, and hands over its wait status on
// the event loop, never once `context` is gone (the child is reaped all the
// same). Every child is watched through the same two descriptors, a
// SIGCHLD handler's socket pair, whatever their number: children that run
// for days must not use up the descriptors the journal and the web
// addresses need.
void watchChild(pid_t pid, QObject *context, std::function<void(int status)> ended);

// Children being watched, for the tests.
int watchedChildren();

} // namespace Posix
