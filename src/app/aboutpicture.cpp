#include "aboutpicture.h"

#include <QFile>

static void initResources()
{
    // The resource lives in a static library: it must be registered by hand.
    Q_INIT_RESOURCE(resources);
}

QByteArray aboutPictureJpeg()
{
    initResources();
    QFile file(QStringLiteral(":/about.jpg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
