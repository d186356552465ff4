#include "journal/errorboundary.h"

#include "files/runtimeerror.h"

#include <QDebug>

namespace ErrorBoundary {

namespace {
std::function<void(const QString &)> g_handler;
bool g_reporting = false;
} // namespace

void setHandler(std::function<void(const QString &message)> handler)
{
    g_handler = std::move(handler);
}

void report(const QString &message)
{
    // An error raised while an error is being recorded is not recorded again:
    // that way lies an endless loop.
    if (!g_handler || g_reporting) {
        qWarning().noquote() << message;
        return;
    }
    g_reporting = true;
    try {
        g_handler(message);
    } catch (const std::exception &e) {
        qWarning().noquote() << QString::fromLocal8Bit(e.what());
    }
    g_reporting = false;
}

void run(const std::function<void()> &work)
{
    try {
        work();
    } catch (const RuntimeError &e) {
        report(e.message());
    } catch (const std::bad_alloc &) {
        report(QStringLiteral("Mémoire insuffisante"));
    } catch (const std::exception &e) {
        report(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace ErrorBoundary
