#include "application.h"

#include "journal/errorboundary.h"

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    bool result = false;
    ErrorBoundary::run([&] { result = QApplication::notify(receiver, event); });
    return result;
}
