#pragma once

#include <QEvent>
#include <QCoreApplication>
#include <QObject>

#include <functional>

// Tells when the application is asked to quit, which is how the session
// manager ends the program at the end of the session (a checkpoint only asks
// for the data). Installed on the application object.
class SessionEndWatcher : public QObject
{
public:
    explicit SessionEndWatcher(std::function<void()> ends) : m_ends(std::move(ends)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit && m_ends)
            m_ends();
        return false;
    }

private:
    std::function<void()> m_ends;
};
