#include "schedulefile.h"

#include "fields.h"
#include "journal/runtimeerror.h"
#include "journal/textfile.h"

#include <QFileInfo>

ScheduleFile::ScheduleFile(const QString &programDirectory)
    : m_path(programDirectory + QStringLiteral("cron-bat.dat"))
{
}

bool ScheduleFile::exists() const
{
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

void ScheduleFile::AppendEntry(const QString &minute, const QString &hour, const QString &monday,
                               const QString &tuesday, const QString &wednesday,
                               const QString &thursday, const QString &friday,
                               const QString &saturday, const QString &sunday,
                               const QString &target) const
{
    const QStringList fields{minute,   hour,   monday,   tuesday, wednesday,
                             thursday, friday, saturday, sunday,  target};
    AppendScheduleLine(fields.join(QLatin1Char('|')) + QLatin1Char('|'));
}

QStringList ScheduleFile::readLines() const
{
    return TextFile::readLines(m_path);
}

void ScheduleFile::writeBack(const QStringList &lines) const
{
    if (lines.isEmpty())
        return;
    TextFile::replaceAll(m_path, lines);
}

ScheduleFile::Stamp ScheduleFile::stamp() const
{
    const QFileInfo info(m_path);
    if (!info.exists())
        return {};
    return {FileSizeOf(m_path), info.lastModified()};
}
