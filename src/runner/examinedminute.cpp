#include "examinedminute.h"

#include "minutescheduler.h"

#include <QDate>
#include <QRegularExpression>

namespace ExaminedMinute {

QString fileName()
{
    return QStringLiteral("derniere-minute.dat");
}

QString text(qint64 minute)
{
    return MinuteScheduler::wallClockDate(minute).toString(QStringLiteral("yyyyMMdd")) +
           MinuteScheduler::wallClockTime(minute).toString(QStringLiteral("HHmm"));
}

std::optional<qint64> parse(const QByteArray &bytes)
{
    static const QRegularExpression line(QStringLiteral("^(\\d{8})(\\d\\d)(\\d\\d)(\\r\\n)?$"));
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(bytes));
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date = QDate::fromString(match.captured(1), QStringLiteral("yyyyMMdd"));
    const QTime time(match.captured(2).toInt(), match.captured(3).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    // The wall clock's own minute, also one that a daylight-saving night skips.
    return MinuteScheduler::wallClockMinute(date, time);
}

} // namespace ExaminedMinute
