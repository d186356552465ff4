#include "entrysentence.h"

#include "scheduleentry.h"
#include "files/runtimeerror.h"

#include <QStringList>

const QString kTargetFileFilter = QStringLiteral(
    "Tous les fichiers  (*.*)|*.*|Fichiers Cmd (*.cmd)|*.cmd|Fichiers Bat (*.bat)|*.bat|"
    "Fichiers Perl (*.pl)|*.pl|Fichiers PHP (*.php)|*.php|Fichiers Word (*.doc)|*.doc|"
    "Fichiers Excel (*.xls)|*.xls|Fichiers Application (*.exe)|*.exe");

QString composeEntrySentence(const SentenceWords &words, int minute, int hour,
                             const bool days[7])
{
    const QChar blank = QLatin1Char(' ');
    QString connector = words.intervalJoin;
    QString minutesPart;
    if (minute >= 0)
        minutesPart = QString::number(minute) + blank + words.minutes + blank;
    QString hoursPart;
    if (hour > 0) {
        hoursPart = QString::number(hour) + blank + words.hours + blank;
        minutesPart = minute != 0 ? words.hoursAndMinutes + blank + QString::number(minute) +
                                        blank + words.minutes
                                  : QString();
    }
    QString dayParts;
    for (int day = 0; day < 7; ++day) {
        if (!days[day])
            continue;
        dayParts += QStringLiteral(", ") + words.days[day];
        connector = words.weekdayJoin;
    }
    return words.opening + blank + connector + blank + hoursPart + minutesPart + dayParts;
}

QString composeOptionsSentence(const SentenceWords &words, const QString &monthDays,
                               const QString &months, bool paused)
{
    const QString separator = QStringLiteral(" ; ");
    const auto listed = [](const QString &list, const QString &last) {
        QStringList items = list.split(QLatin1Char(','));
        for (QString &item : items) {
            item = item.trimmed();
            if (item == QLatin1String("fin"))
                item = last;
        }
        return items.join(QStringLiteral(", "));
    };
    QString sentence;
    if (!monthDays.isEmpty())
        sentence += separator + words.monthDays + QLatin1Char(' ') + listed(monthDays, words.lastDay);
    if (!months.isEmpty())
        sentence += separator + words.months + QLatin1Char(' ') + listed(months, QStringLiteral("fin"));
    if (paused)
        sentence += separator + words.paused;
    return sentence;
}

QString composeRunSentence(const SentenceWords &words, bool alone, int stopAfterMinutes, bool catchUp)
{
    const QString separator = QStringLiteral(" ; ");
    QString sentence;
    if (alone)
        sentence += separator + words.alone;
    if (stopAfterMinutes > 0)
        sentence += separator + words.stopAfter + QLatin1Char(' ') + QString::number(stopAfterMinutes) +
                    QStringLiteral(" min");
    if (catchUp)
        sentence += separator + words.catchUp;
    return sentence;
}

QString composeEntryOptionsSentence(const SentenceWords &words, const EntryOptions &options)
{
    int limit = 0;
    try {
        limit = options.stopAfterMinutes();
    } catch (const EConvertError &) {
        // A bad limit holds the entry; its next run says why.
    }
    return composeOptionsSentence(words, options.value(QStringLiteral("jours")).value_or(QString()),
                                  options.value(QStringLiteral("mois")).value_or(QString()), options.paused()) +
           composeRunSentence(words, options.alone(), limit, options.catchesUp());
}

QString composeEntrySentence(const SentenceWords &words, const ScheduleEntry &entry)
{
    bool days[7];
    for (int day = 0; day < 7; ++day)
        days[day] = entry.runsOn(day + 1);
    return composeEntrySentence(words, entry.minute.toInt(), entry.hour.toInt(), days) +
           composeEntryOptionsSentence(words, entry.options());
}

QStringList qtNameFilters(const QString &pairs, const QString &allFiles)
{
    const QStringList parts = pairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        const QString pattern = parts.at(i + 1);
        if (pattern == QLatin1String("*.*"))
            description.replace(QLatin1String("(*.*)"), QLatin1Char('(') + allFiles + QLatin1Char(')'));
        filters << description;
    }
    return filters;
}
