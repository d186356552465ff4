#pragma once

#include <string>

// The shell's "open", as a double click does: a program starts, a document
// opens with the program associated with its type.
namespace Win {

struct ShellStart
{
    bool started = false;
    // The started program's process, when the shell started one; the caller
    // closes it. Null for a document handed to an already running viewer.
    void *process = nullptr;
};

// ShellExecuteEx with the verb "open", the ANSI bytes of the schedule file,
// the show command normal and no working directory (the program inherits
// ours). The desktop window is the owner when `desktopOwner` is set. No
// dialog ever comes up: a missing association is a refusal, not a question
// that would hold the window thread.
ShellStart shellOpen(const std::string &file, const std::string &parameters, bool desktopOwner);

// ShellExecute with the desktop window as owner, the verb "open", no
// parameters and the show command normal: true when the shell took the file
// (a result above 32).
bool shellExecuteOpen(const std::wstring &file);

// The exit code of a process handed back by shellOpen, once it has ended;
// closes the handle.
unsigned long endedProcessCode(void *process);

} // namespace Win
