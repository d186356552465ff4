#pragma once

#include <QString>

// How a due entry's target is started: whole through ExecuteWait, or cut
// into a program path and its parameters for Exe.
struct LaunchCall
{
    bool withParameters = false; // Exe when set, ExecuteWait otherwise
    QString program;             // the program path, or the whole target
    QString parameters;
};

// `separators` are the platform's path separators, the directory separator
// first: "\\:" on Windows, "/" elsewhere.
LaunchCall splitTargetForLaunch(const QString &target, const QString &separators);
