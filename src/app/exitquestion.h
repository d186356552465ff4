#pragma once

#include <QString>

#include <functional>

class QWidget;

enum class ExitAnswer { Yes, No, Closed };

// Asks the exit question; tests give their own instead of a modal box.
using ExitAsker = std::function<ExitAnswer(const QString &title, const QString &text)>;

// ExitMsg, one blank, the window caption, a lone CR, ExitMsg2.
QString composeExitQuestion(const QString &exitMsg, const QString &caption,
                            const QString &exitMsg2);

// The modal box: no icon, "&Oui" default, "&Non" for Escape, centred on the screen.
ExitAnswer askExitQuestion(const QString &title, const QString &text);
