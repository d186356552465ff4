#pragma once

#include <QString>

#include <functional>

class EventRecorder;

// Starts a due entry's target and records what happened. Neither call waits
// for what it started, nor keeps anything of it.
class Launcher
{
public:
    struct Hooks
    {
        // Opens a file as a double click would, with parameters; reports nothing.
        std::function<void(const QString &path, const QString &parameters)> open;
        // Lets the window thread process its pending messages once.
        std::function<void()> pumpMessages;
        // The URL task, for targets holding "http://".
        std::function<void(const QString &url)> http;
    };

    Launcher(EventRecorder &events, Hooks hooks);

    // A program path with its parameters (possibly empty).
    void Exe(const QString &program, const QString &parameters);
    // A whole target: a web address, a program or a document.
    void ExecuteWait(const QString &target);

    // Only an existing file counts as a target; a folder does not.
    static bool targetExists(const QString &path);

private:
    void start(const QString &path, const QString &parameters, const QString &detail);

    EventRecorder &m_events;
    Hooks m_hooks;
};
