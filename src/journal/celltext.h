#pragma once

#include <QString>

// What a list cell shows of a text: its first few thousand characters, with
// bytes the local encoding cannot decode shown as U+FFFD. A line of several
// megabytes would otherwise be measured and drawn whole at every repaint.
constexpr qsizetype kLongestCell = 4000;
QString cellText(const QString &text);
