// Schedule lines as a hand-edited or damaged file may hold them: fields, due
// rules, the target split and whole passes over the lines.
#include "files/runtimeerror.h"
#include "platform/platform.h"
#include "runner/duerules.h"
#include "runner/minutescheduler.h"
#include "runner/targetsplit.h"
#include "schedule/fields.h"
#include "schedule/scheduleentry.h"
#include "schedule/schedulelines.h"

#include <QDateTime>
#include <QStringList>

#include <cstdlib>

namespace {

QString verdict(const std::function<bool()> &decide)
{
    try {
        return decide() ? QStringLiteral("due") : QStringLiteral("not due");
    } catch (const EConvertError &e) {
        return e.message();
    }
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = Platform::decodeText(bytes);
    // What the file gives back is what it held.
    check(Platform::encodeText(text) == bytes);
    const QStringList lines = text.split(QLatin1Char('\n'));

    ScheduleLines list;
    for (const QString &line : lines)
        list.add(line);
    int starts = 0;
    MinuteScheduler scheduler(list, {.start = [&](const QString &target, const QString &, const QString &) {
                                         ++starts;
                                         for (const QString &separators :
                                              {QStringLiteral("/"), QStringLiteral("\\:")}) {
                                             const LaunchCall call = resolveTargetForLaunch(
                                                 target, separators, [&](const QString &path) {
                                                     return target.startsWith(path) && path.size() % 3 == 0;
                                                 });
                                             // Started whole means the whole target.
                                             check(call.withParameters || call.program == target);
                                         }
                                     },
                                     .reportError = [](const QString &) {}, .trim = [] {}});
    const QDateTime start(QDate(2026, 3, 29), QTime(0, 58));
    for (int tick = 0; tick < 8; ++tick)
        scheduler.tick(start.addSecs(60 * 61 * tick / 3));

    // The entries the passes read hold the fields GetField reads, and decide
    // by them: a weekday entry on its minute-hour text and its day's flag.
    const QChar bar = QLatin1Char('|');
    for (const QString &line : lines.mid(0, 16)) {
        const ScheduleEntry fields = ScheduleEntry::fromLine(line);
        check(fields.minute == fieldOf(line, bar, 1) && fields.hour == fieldOf(line, bar, 2));
        for (int day = 0; day < 7; ++day)
            check(fields.days[day] == fieldOf(line, bar, day + 3));
        check(fields.target == fieldOf(line, bar, 10));
        if (line.endsWith(bar) && line.count(bar) >= 10)
            check(fields.toLine() == line);
        const DueEntry entry(fields);
        check(entry.target() == fields.target);
        if (entry.isInterval())
            continue;
        for (int t : {0, 1, 90, 870, 1439}) {
            const MinuteValues now = MinuteValues::of(QDate(2026, 12, 8 + t % 7), QTime(t / 60, t % 60));
            const bool byFields = fields.minute + bar + fields.hour == now.minuteHour &&
                                  fieldOf(line, bar, now.weekday + 2) == QLatin1String("1");
            check(verdict([&] { return entry.isDue(now); }) ==
                  (byFields ? QStringLiteral("due") : QStringLiteral("not due")));
        }
    }
    return 0;
}
