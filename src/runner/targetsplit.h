#pragma once

#include <QString>

#include <functional>

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

// The split above, mended where it names no existing file: paths in the
// parameters (`/usr/bin/rsync -a /data /backup`, `C:\tools\copy.exe D:\save`)
// would otherwise make the whole target a missing file. The program is then
// the longest prefix of the target that ends just before a blank and names an
// existing file, the parameters the text after that blank. What the split
// starts keeps its result; web addresses are left to it.
LaunchCall resolveTargetForLaunch(const QString &target, const QString &separators,
                                  const std::function<bool(const QString &path)> &isFile);
