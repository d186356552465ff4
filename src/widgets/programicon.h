#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>

// The program's icon, drawn by us: a clock face with a swinging pendulum.
// The image needs no window system: the build draws the installed icons too.
QImage drawProgramImage(int size);
QPixmap drawProgramIcon(int size);
// The icon in 16, 24 and 32 pixels.
QIcon programIcon();
