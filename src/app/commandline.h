#pragma once

// The program driven from a terminal, as cron and systemd timers are: list
// the entries, or ask the running instance to run, pause, resume or stop
// them, or to show its window. Texts in the interface's language.
namespace CommandLine {

enum ExitCode {
    Done = 0,
    BadArguments = 1,
    NoSuchEntry = 2,
    NotRunning = 3,
};

// The arguments are for the terminal rather than the window: one of its
// options, or a long option the window's toolkit does not know either.
bool wanted(int argc, char **argv);

// Does what the arguments ask and says so; the process's exit code.
int run(int argc, char **argv);

} // namespace CommandLine
