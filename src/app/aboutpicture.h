#pragma once

#include <QByteArray>

// The 49 × 49 JPEG of the about window, embedded in the program.
QByteArray aboutPictureJpeg();
