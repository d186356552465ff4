// One scheduler pass over 10,000 entries, with none due and with all due
// (the start of each entry is counted, not carried out).
#include "runner/minutescheduler.h"
#include "schedule/schedulelines.h"

#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <vector>

namespace {

double medianPassMs(const QString &entry, int *starts)
{
    ScheduleLines lines;
    lines.add(QString());
    for (int i = 0; i < 10000; ++i)
        lines.add(entry.arg(i));
    MinuteScheduler scheduler(lines, {.start = [starts](const QString &, const QString &, const QString &) { ++*starts; },
                                      .reportError = [](const QString &) {},
                                      .trim = [] {}});
    std::vector<double> samples;
    QDateTime at(QDate(2026, 12, 8), QTime(10, 0));
    for (int run = 0; run < 31; ++run) {
        QElapsedTimer timer;
        timer.start();
        scheduler.tick(at);
        samples.push_back(double(timer.nsecsElapsed()) / 1e6);
        at = at.addSecs(60);
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The first pass after the list changed reads every line into its entry.
double firstPassMs(const QString &entry)
{
    ScheduleLines lines;
    lines.add(QString());
    for (int i = 0; i < 10000; ++i)
        lines.add(entry.arg(i));
    MinuteScheduler scheduler(
        lines, {.start = [](const QString &, const QString &, const QString &) {}, .reportError = [](const QString &) {}, .trim = [] {}});
    QElapsedTimer timer;
    timer.start();
    scheduler.tick(QDateTime(QDate(2026, 12, 8), QTime(10, 0)));
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    int starts = 0;
    // Weekday entries for a minute that never comes in the run.
    const double none = medianPassMs(QStringLiteral("59|23|1|1|1|1|1|1|1|/opt/job%1.sh -q|"), &starts);
    out << "10000 entries, none due: " << none << " ms per pass (" << starts << " starts)\n";
    starts = 0;
    const double all = medianPassMs(QStringLiteral("1|0|0|0|0|0|0|0|0|/opt/job%1.sh -q|"), &starts);
    out << "10000 entries, all due:  " << all << " ms per pass (" << starts << " starts)\n";
    out << "10000 entries, first pass after a reload: "
        << firstPassMs(QStringLiteral("59|23|1|1|1|1|1|1|1|/opt/job%1.sh -q|")) << " ms\n";
    return 0;
}
