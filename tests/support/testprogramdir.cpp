#include "testprogramdir.h"

#include <QDir>
#include <QFile>

TestProgramDir::TestProgramDir() = default;

QString TestProgramDir::path() const
{
    return QDir::toNativeSeparators(m_dir.path()) + QDir::separator();
}

void TestProgramDir::write(const QString &name, const QByteArray &bytes) const
{
    QFile file(this->file(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray TestProgramDir::read(const QString &name) const
{
    QFile file(this->file(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestProgramDir::setModified(const QString &path, const QDateTime &time)
{
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(time, QFileDevice::FileModificationTime);
}
