#pragma once

#include <QByteArray>
#include <QImage>

// Decodes a JPEG with libjpeg into an RGB image; a null image for anything
// libjpeg refuses. Never aborts the process on bad data.
QImage decodeJpeg(const QByteArray &bytes);
