#include "screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void fitInsideScreen(QWidget *window)
{
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // The frame is what must fit; until the window manager has framed the
    // window it is not known, and a usual title bar stands in for it.
    const QRect frame = window->frameGeometry();
    const int decorationWidth = frame.width() - window->width();
    const int decorationHeight = qMax(frame.height() - window->height(), 30);
    const QSize room(area.width() - decorationWidth, area.height() - decorationHeight);
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room).expandedTo(window->minimumSize()));
    const QSize outer(window->width() + decorationWidth, window->height() + decorationHeight);
    const int x = qBound(area.left(), frame.left(), qMax(area.left(), area.right() + 1 - outer.width()));
    const int y = qBound(area.top(), frame.top(), qMax(area.top(), area.bottom() + 1 - outer.height()));
    if (x != frame.left() || y != frame.top())
        window->move(x, y);
}
