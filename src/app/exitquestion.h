#pragma once

#include <QString>

#include <functional>

class QWidget;

enum class ExitAnswer { Yes, No, Closed };

// Asks the exit question and hands the answer to `answered`, now or once
// the user gives it; tests answer at once instead of showing the box.
using ExitAnswered = std::function<void(ExitAnswer)>;
using ExitAsker = std::function<void(const QString &title, const QString &text, ExitAnswered answered)>;

// ExitMsg, one blank, the window caption, a lone CR, ExitMsg2.
QString composeExitQuestion(const QString &exitMsg, const QString &caption,
                            const QString &exitMsg2);

// The modal box: no icon, "&Oui" default, "&Non" for Escape, centred on the
// screen. Shown without a loop of its own: the minutes go on being examined
// while it waits, and `answered` gets the answer once.
void askExitQuestion(const QString &title, const QString &text, ExitAnswered answered);
