#pragma once

#include <QString>

#include <functional>
#include <utility>

// Where errors that leave an event handler end: they are handed to the one
// application-wide handler (ApplicationEvents1Exception) instead of ending
// the program.
namespace ErrorBoundary {

void setHandler(std::function<void(const QString &message)> handler);

// Hands the message to the handler (or to the log when there is none yet).
void report(const QString &message);

// Runs `work`, reporting any error that escapes it.
void run(const std::function<void()> &work);

// A slot that runs `work` inside the boundary. Exceptions must not unwind
// through Qt's own frames, so every handler wired to a signal goes through this.
template <typename F>
auto guarded(F work)
{
    return [work = std::move(work)](auto &&...) { run(work); };
}

} // namespace ErrorBoundary
