#include "schedulerow.h"

#include "fields.h"
#include "scheduleentry.h"

namespace {

QString twoDigits(const QString &field)
{
    return field.size() == 1 ? QLatin1Char('0') + field : field;
}

QString withoutProgramPart(QString target, const QString &program)
{
    return target.remove(program + QLatin1Char(' '), Qt::CaseSensitive);
}

} // namespace

TargetParts splitTarget(const QString &target)
{
    const QChar dot = QLatin1Char('.');
    const QString a = fieldOf(target + dot, dot, 1);
    const QString b = fieldOf(target + dot, dot, 2);
    const QString e = fieldOf(b + QLatin1Char(' '), QLatin1Char(' '), 1);
    const QString program = a + dot + e;
    return {program, withoutProgramPart(target, program)};
}

TargetParts selectionParts(const QString &target)
{
    const QChar dot = QLatin1Char('.');
    const QString b = fieldOf(target + dot, dot, 2);
    if (!b.contains(QLatin1Char(' ')))
        return {target, QString()};
    return splitTarget(target);
}

ScheduleRow makeScheduleRow(int index, const ScheduleEntry &entry, const FileExists &fileExists)
{
    ScheduleRow row;
    row.number = QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
    row.time = twoDigits(entry.hour) + QLatin1Char(':') + twoDigits(entry.minute);
    if (entry.showsAsInterval())
        row.time += QStringLiteral(" *");
    row.paused = entry.options().paused();
    row.options = entry.options().toField();
    row.name = entry.options().name();

    const QString &target = entry.target;
    if (!target.contains(QLatin1Char(' ')) || fileExists(target) ||
        target.contains(QLatin1String("http://"))) {
        row.source = target;
        return row;
    }
    const TargetParts parts = splitTarget(target);
    row.source = parts.program;
    row.target = parts.parameters;
    return row;
}
