#include "textfile.h"

#include "platform/platform.h"
#include "runtimeerror.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QRandomGenerator>

#include <cerrno>

namespace TextFile {

namespace {

void writeOne(const QString &path, const char *mode, const QString &line)
{
    std::FILE *file = Platform::openFile(path, mode);
    if (!file)
        EInOutError::raiseLast();
    // Where the line starts: a line the disk cannot take whole is cut away
    // again, so that the next one does not get glued onto its torn end.
    std::fseek(file, 0, SEEK_END);
    const long before = std::ftell(file);
    const QByteArray bytes = Platform::encodeText(line) + "\r\n";
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) ==
                             size_t(bytes.size()) &&
                         std::fflush(file) == 0;
    const int code = written ? 0 : Platform::lastFileErrorCode();
    if (!written && before >= 0)
        Platform::truncateFile(file, before);
    if (std::fclose(file) != 0 && written)
        EInOutError::raiseLast();
    if (!written)
        throw EInOutError(code);
}

// Our own temporaries beside `target`: "<name>.<8 hex digits>.tmp".
bool isTemporaryOf(const QString &fileName, const QString &targetName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\.[0-9a-f]{8}\\.tmp$"));
    return fileName.startsWith(targetName) &&
           pattern.match(QStringView(fileName).mid(targetName.size())).hasMatch();
}

} // namespace

void appendLine(const QString &path, const QString &line)
{
    writeOne(path, "ab", line);
}

void rewriteLine(const QString &path, const QString &line)
{
    writeOne(path, "wb", line);
}

void replaceAll(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Platform::encodeText(line) + "\r\n";
    replaceAll(path, bytes);
}

void replaceAll(const QString &path, const QByteArray &bytes)
{
    // Through a link to the file it points to: replacing the link itself
    // would leave that file with the old content.
    const QString target = Platform::finalTarget(path);
    // Only a regular file is replaced: renaming over a link's device or
    // folder (a settings file linked to /dev/zero) would destroy it.
    if (Platform::isOtherThanRegularFile(target))
        throw EInOutError(5);
    // Not QSaveFile: it reports success for a file the disk could not hold
    // whole (a short write past a size limit), which would lose the schedule.
    // A name a killed writer left behind is passed over for another.
    QString temporary;
    std::FILE *file = nullptr;
    for (int attempt = 0; attempt < 8 && !file; ++attempt) {
        temporary = target + QStringLiteral(".%1.tmp").arg(QRandomGenerator::system()->generate(), 8,
                                                           16, QLatin1Char('0'));
        file = Platform::openFile(temporary, "wbx");
        if (!file && errno != EEXIST)
            break;
    }
    if (!file)
        EInOutError::raiseLast();
    Platform::copyPermissions(file, target);
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) ==
                             size_t(bytes.size()) &&
                         Platform::syncFile(file);
    int code = written ? 0 : Platform::lastFileErrorCode();
    if (std::fclose(file) != 0 && !code)
        code = Platform::lastFileErrorCode();
    if (!code && !Platform::replaceFile(temporary, target))
        code = Platform::lastFileErrorCode();
    if (code) {
        QFile::remove(temporary);
        throw EInOutError(code);
    }
}

void removeStaleTemporaries(const QString &path)
{
    const QFileInfo target(Platform::finalTarget(path));
    const QDir folder = target.dir();
    const QStringList names =
        folder.entryList({target.fileName() + QStringLiteral(".*.tmp")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (isTemporaryOf(name, target.fileName()))
            QFile::remove(folder.filePath(name));
    }
}

QStringList readLines(const QString &path)
{
    return splitLines(readAll(path));
}

QByteArray readAll(const QString &path)
{
    std::FILE *file = Platform::openFile(path, "rb");
    if (!file)
        EInOutError::raiseLast();
    // One allocation of the file's size, not a doubling buffer: a large
    // journal would otherwise need twice its size while being read.
    QByteArray bytes;
    std::fseek(file, 0, SEEK_END);
    const qsizetype expected = qMax<qsizetype>(0, std::ftell(file));
    std::rewind(file);
    // Read straight into place; a file that grows meanwhile is read on in chunks.
    int code = 0;
    try {
        bytes.resize(expected);
        qsizetype filled = qsizetype(std::fread(bytes.data(), 1, size_t(expected), file));
        bytes.truncate(filled);
        if (filled == expected) {
            char buffer[65536];
            size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                bytes.append(buffer, qsizetype(n));
        }
        code = std::ferror(file) ? Platform::lastFileErrorCode() : 0;
    } catch (...) {
        std::fclose(file);
        throw;
    }
    std::fclose(file);
    if (code)
        throw EInOutError(code);
    return bytes;
}

QByteArray readLinesUpTo(const QString &path, qsizetype most, bool *whole)
{
    std::FILE *file = Platform::openFile(path, "rb");
    if (!file)
        EInOutError::raiseLast();
    // One byte more than allowed tells whether there is more.
    QByteArray bytes(most + 1, Qt::Uninitialized);
    const qsizetype filled = qsizetype(std::fread(bytes.data(), 1, size_t(most + 1), file));
    const int code = std::ferror(file) ? Platform::lastFileErrorCode() : 0;
    std::fclose(file);
    if (code)
        throw EInOutError(code);
    bytes.truncate(filled);
    *whole = filled <= most;
    // A line cut by the bound is no line.
    if (!*whole)
        bytes.truncate(bytes.lastIndexOf('\n', most - 1) + 1);
    return bytes;
}

QStringList splitLines(const QByteArray &bytes)
{
    QStringList lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        const bool last = end < 0;
        if (last)
            end = bytes.size();
        qsizetype stop = end;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        lines << Platform::decodeText(bytes.mid(start, stop - start));
        start = end + 1;
    }
    return lines;
}

} // namespace TextFile
