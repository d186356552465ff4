#include "outputfile.h"

#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>

namespace OutputFile {

QByteArray droppedNoteBefore()
{
    return QByteArrayLiteral("\n[");
}

QByteArray droppedNoteAfter()
{
    return QByteArrayLiteral(" octets de sortie non conservés]\n");
}

void finish(const QString &path, qint64 kept)
{
    const QFileInfo info(path);
    // Only what the child made: never a link or anything else put in its place.
    if (!info.exists() || info.isSymLink() || !info.isFile())
        return;
    const qint64 size = info.size();
    if (size == 0) {
        QFile::remove(path);
        return;
    }
    if (size <= kept)
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(kept) || !file.seek(kept))
        throw EInOutError(5);
    const QByteArray note = droppedNoteBefore() + QByteArray::number(size - kept) + droppedNoteAfter();
    if (file.write(note) != note.size())
        throw EInOutError(101);
}

} // namespace OutputFile
