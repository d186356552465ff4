#include "schedulefile.h"

#include "fields.h"
#include "scheduleentry.h"
#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "platform/platform.h"

#include <QFileInfo>

QString withoutLineBreaks(const QString &text)
{
    QString kept = text;
    kept.remove(QLatin1Char('\r'));
    kept.remove(QLatin1Char('\n'));
    return kept;
}

bool ScheduleFile::canHoldTarget(const QString &target)
{
    return !target.contains(QLatin1Char('|')) && withoutLineBreaks(target) == target;
}

ScheduleFile::ScheduleFile(const QString &programDirectory)
    : m_path(programDirectory + QStringLiteral("cron-bat.dat"))
{
}

bool ScheduleFile::exists() const
{
    // A folder, a pipe or a device of that name is there, and refused when read.
    return QFileInfo::exists(m_path);
}

void ScheduleFile::CreateScheduleFile() const
{
    TextFile::rewriteLine(m_path, QString());
}

void ScheduleFile::RewriteScheduleFile(const QString &line) const
{
    TextFile::rewriteLine(m_path, line);
}

void ScheduleFile::AppendScheduleLine(const QString &line) const
{
    // "ab" would create a file deleted meanwhile; appending only ever extends
    // an existing schedule.
    if (!exists())
        throw EInOutError(2);
    TextFile::appendLine(m_path, line);
}

void ScheduleFile::AppendEntry(const ScheduleEntry &entry) const
{
    if (!canHoldTarget(entry.target))
        throw EInOutError(5);
    AppendScheduleLine(entry.toLine());
}

QStringList ScheduleFile::readLines() const
{
    return TextFile::readLines(m_path);
}

void ScheduleFile::writeBack(const QStringList &lines) const
{
    if (lines.isEmpty())
        return;
    // A file kept with bare LF line ends (edited on Linux) keeps them: a
    // change to one entry must not rewrite every other line's end.
    QByteArray end("\r\n");
    if (Platform::isRegularFile(m_path)) {
        const QByteArray old = TextFile::readAll(m_path);
        if (old.contains('\n') && !old.contains("\r\n"))
            end = "\n";
    }
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += Platform::encodeText(line) + end;
    TextFile::replaceAll(m_path, bytes);
}

void ScheduleFile::removeStaleTemporaries() const
{
    TextFile::removeStaleTemporaries(m_path);
}

ScheduleFile::Stamp ScheduleFile::stamp() const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return {};
    return {FileSizeOf(m_path), info.lastModified()};
}
