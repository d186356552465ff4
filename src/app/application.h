#pragma once

#include <QApplication>

// Errors that escape an overridden event handler (a close, a timer event)
// reach the application-wide handler here instead of ending the program.
class Application : public QApplication
{
public:
    Application(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
