#include "schedulerow.h"

#include "fields.h"

namespace {

QString twoDigits(const QString &field)
{
    return field.size() == 1 ? QLatin1Char('0') + field : field;
}

bool isIntervalEntry(const QString &line)
{
    for (int field = 3; field <= 9; ++field) {
        if (fieldOf(line, QLatin1Char('|'), field) == QLatin1String("1"))
            return false;
    }
    return true;
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

ScheduleRow makeScheduleRow(int index, const QString &line, const FileExists &fileExists)
{
    const QChar bar = QLatin1Char('|');
    ScheduleRow row;
    row.number = QStringLiteral("%1").arg(index, 3, 10, QLatin1Char('0'));
    row.time = twoDigits(fieldOf(line, bar, 2)) + QLatin1Char(':') + twoDigits(fieldOf(line, bar, 1));
    if (isIntervalEntry(line))
        row.time += QStringLiteral(" *");

    const QString target = fieldOf(line, bar, 10);
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

SelectedEntry readSelectedEntry(const QString &line)
{
    const QChar bar = QLatin1Char('|');
    SelectedEntry entry;
    entry.minute = fieldOf(line, bar, 1);
    entry.hour = fieldOf(line, bar, 2);
    for (int day = 0; day < 7; ++day)
        entry.days[day] = fieldOf(line, bar, day + 3) == QLatin1String("1");
    entry.target = fieldOf(line, bar, 10);
    return entry;
}
