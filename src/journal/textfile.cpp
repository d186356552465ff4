#include "textfile.h"

#include "platform/platform.h"
#include "runtimeerror.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

namespace TextFile {

namespace {

void writeOne(const QString &path, const char *mode, const QString &line)
{
    std::FILE *file = Platform::openFile(path, mode);
    if (!file)
        EInOutError::raiseLast();
    const QByteArray bytes = line.toLocal8Bit() + "\r\n";
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) ==
                             size_t(bytes.size()) &&
                         std::fflush(file) == 0;
    const int code = written ? 0 : Platform::lastFileErrorCode();
    if (std::fclose(file) != 0 && written)
        EInOutError::raiseLast();
    if (!written)
        throw EInOutError(code);
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
        bytes += line.toLocal8Bit() + "\r\n";

    // Not QSaveFile: it reports success for a file the disk could not hold
    // whole (a short write past a size limit), which would lose the schedule.
    const QString temporary =
        path + QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16,
                                             QLatin1Char('0'));
    std::FILE *file = Platform::openFile(temporary, "wbx");
    if (!file)
        EInOutError::raiseLast();
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) ==
                             size_t(bytes.size()) &&
                         Platform::syncFile(file);
    int code = written ? 0 : Platform::lastFileErrorCode();
    if (std::fclose(file) != 0 && !code)
        code = Platform::lastFileErrorCode();
    if (!code) {
        if (QFile::exists(path))
            QFile::setPermissions(temporary, QFile::permissions(path));
        if (!Platform::replaceFile(temporary, path))
            code = Platform::lastFileErrorCode();
    }
    if (code) {
        QFile::remove(temporary);
        throw EInOutError(code);
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
    // Only a regular file has a size to trust: a folder opened as a file
    // reports nonsense, and reading it must fail like any other read.
    const QFileInfo info(path);
    const qsizetype expected = info.isFile() ? qsizetype(info.size()) : 0;
    // Read straight into place; a file that grows meanwhile is read on in chunks.
    bytes.resize(expected);
    qsizetype filled = qsizetype(std::fread(bytes.data(), 1, size_t(expected), file));
    bytes.truncate(filled);
    if (filled == expected) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            bytes.append(buffer, qsizetype(n));
    }
    const int code = std::ferror(file) ? Platform::lastFileErrorCode() : 0;
    std::fclose(file);
    if (code)
        throw EInOutError(code);
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
        lines << QString::fromLocal8Bit(bytes.constData() + start, stop - start);
        start = end + 1;
    }
    return lines;
}

} // namespace TextFile
