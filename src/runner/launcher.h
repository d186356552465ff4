#pragma once

#include "files/outputbound.h"
#include "platform/platform.h"

#include <QString>

#include <functional>

class EventRecorder;

// Starts a due entry's target and records what happened. Neither call waits
// for what it started: a refused start and the failed end of a program
// started directly are recorded when the system reports them.
class Launcher
{
public:
    using Report = std::function<void(const Platform::TargetEvent &)>;
    // What a start gave, in the history's words: "En cours" while a program
    // started directly runs (`over` false), then how it ended.
    using Outcome = std::function<void(const QString &result, bool over)>;
    struct Hooks
    {
        // Starts a program with parameters, or opens a document, as a double
        // click would; reports as Platform::startTarget does.
        std::function<void(const QString &path, const QString &parameters,
                           const Platform::StartOptions &options, Report report)>
            open;
        // The URL task, for targets holding "http://" or "https://". It must not wait for
        // the request: the rest of the pass goes on meanwhile.
        // The records name `subject`; `outcome` gets the status line or the failure.
        std::function<void(const QString &url, const QString &subject, Outcome outcome)> http;
    };

    Launcher(EventRecorder &events, Hooks hooks);

    // A program path with its parameters (possibly empty). The records name
    // the entry's `name` after the target, when it has one.
    // A program started directly gets `options`; its output file, when it
    // has one, is finished when it ends.
    void Exe(const QString &program, const QString &parameters, const QString &name = QString(),
             const Outcome &outcome = {}, const Platform::StartOptions &options = {});
    // A whole target: a web address, a program or a document.
    void ExecuteWait(const QString &target, const QString &name = QString(),
                     const Outcome &outcome = {}, const Platform::StartOptions &options = {});

    // "/usr/local/bin/backup (Sauvegarde mensuelle)": what the history and
    // the journal name a start by.
    static QString subjectOf(const QString &target, const QString &name);

    // The history's words for what the system reported of a start.
    static QString resultOf(const Platform::TargetEvent &event);

    // A target holding "http://" or "https://" is requested, not started.
    static bool isWebAddress(const QString &target);

    // Only an existing file counts as a target; a folder does not.
    static bool targetExists(const QString &path);

    // What the system reported of a start or an end, recorded as any is:
    // the end of a run an earlier instance started, too.
    void record(const Platform::TargetEvent &event, const QString &detail, const Outcome &outcome,
                const QString &outputFile);

private:
    void start(const QString &path, const QString &parameters, const QString &detail,
               const Outcome &outcome, const Platform::StartOptions &options);

    EventRecorder &m_events;
    Hooks m_hooks;
    OutputBound m_outputs;
    bool m_toldWithoutKeeper = false;
};
