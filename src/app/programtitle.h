#pragma once

#include <QString>

// The application's title as the exit question shows it: the executable's
// file name up to its first ".", every letter after the first in lower case.
QString programTitle(const QString &executableFileName);
