#pragma once

#include <QIcon>
#include <QPixmap>

// The program's icon, drawn by us: a clock face with a swinging pendulum.
QPixmap drawProgramIcon(int size);
// The icon in 16, 24 and 32 pixels.
QIcon programIcon();
