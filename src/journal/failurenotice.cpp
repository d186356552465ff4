#include "failurenotice.h"

#include <algorithm>

FailureNotice FailureNotice::of(const QList<FailureToTell> &failures)
{
    FailureNotice notice;
    if (failures.isEmpty())
        return notice;
    // A network error comes on two lines: one line of the notice.
    const QString first = failures.first().status.simplified();
    if (failures.size() == 1)
        return {first, failures.first().subject};
    const bool alike = std::all_of(failures.begin(), failures.end(), [&](const FailureToTell &failure) {
        return failure.status.simplified() == first;
    });
    notice.summary = QString::number(failures.size()) + QStringLiteral(" × ") + first +
                     (alike ? QString() : QStringLiteral(" …"));
    QStringList lines;
    for (qsizetype i = 0; i < failures.size() && i < kListed; ++i)
        lines << (alike ? failures.at(i).subject
                        : failures.at(i).subject + QStringLiteral(" : ") + failures.at(i).status.simplified());
    if (failures.size() > kListed)
        lines << QStringLiteral("…");
    notice.body = lines.join(QLatin1Char('\n'));
    return notice;
}
