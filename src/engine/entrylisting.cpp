#include "entrylisting.h"

#include "platform/platform.h"
#include "runner/nextrun.h"
#include "schedule/entrysentence.h"
#include "schedule/scheduleentry.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QJsonValue timeOrNull(const QDateTime &at)
{
    return at.isValid() ? QJsonValue(at.toString(Qt::ISODate)) : QJsonValue();
}

// A line of the terminal stays one line, whatever a name or a result holds.
QString oneLine(QString text)
{
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text;
}

} // namespace

QList<ListedEntry> listEntries(const QStringList &lines, const QHash<QString, PastRun> &past,
                               const NextRunWords &nextWords, const SentenceWords &sentenceWords,
                               const QDateTime &now)
{
    QList<ListedEntry> listed;
    // The header line is no entry, and an empty line none either.
    for (int index = 1; index < lines.size(); ++index) {
        const QString &line = lines.at(index);
        if (line.isEmpty())
            continue;
        const ScheduleEntry entry = ScheduleEntry::fromLine(line);
        ListedEntry item;
        item.number = index;
        // What the file holds that no encoding reads shows as such.
        item.name = Platform::displayText(entry.options().name());
        // The captions join their words with blanks of their own.
        item.schedule = composeEntrySentence(sentenceWords, entry).simplified();
        const NextRun next = nextRunOf(entry, now);
        QString reason;
        item.next = nextRunText(next, now.date(), nextWords, &reason);
        if (next.never == NextRun::No)
            item.nextAt = next.at;
        if (const auto run = past.constFind(line); run != past.cend()) {
            item.lastAt = run->at;
            item.last = pastRunText(run->at, now.date(), nextWords);
            item.result = Platform::displayText(run->result);
        }
        item.target = Platform::displayText(entry.target);
        item.paused = entry.options().paused();
        listed << item;
    }
    return listed;
}

QByteArray listedAsText(const QList<ListedEntry> &entries)
{
    QByteArray text;
    const QString between = QStringLiteral("  ");
    for (const ListedEntry &entry : entries) {
        const QStringList fields = {QStringLiteral("%1").arg(entry.number, 3, 10, QLatin1Char('0')),
                                    orDash(entry.name), entry.schedule, orDash(entry.next),
                                    orDash(entry.last), orDash(entry.result), entry.target};
        text += oneLine(fields.join(between)).toUtf8() + '\n';
    }
    return text;
}

QByteArray listedAsJson(const QList<ListedEntry> &entries)
{
    QJsonArray array;
    for (const ListedEntry &entry : entries) {
        array.append(QJsonObject{{QStringLiteral("number"), entry.number},
                                 {QStringLiteral("name"), entry.name},
                                 {QStringLiteral("schedule"), entry.schedule},
                                 {QStringLiteral("next"), entry.next},
                                 {QStringLiteral("nextAt"), timeOrNull(entry.nextAt)},
                                 {QStringLiteral("last"), entry.last},
                                 {QStringLiteral("lastAt"), timeOrNull(entry.lastAt)},
                                 {QStringLiteral("result"), entry.result},
                                 {QStringLiteral("target"), entry.target},
                                 {QStringLiteral("paused"), entry.paused}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

QList<int> entriesNamed(const QStringList &lines, const QString &which)
{
    bool number = false;
    const int index = which.toInt(&number);
    if (number && index > 0 && index < lines.size() && !lines.at(index).isEmpty())
        return {index};
    QList<int> named;
    if (which.isEmpty())
        return named;
    for (int line = 1; line < lines.size(); ++line) {
        if (!lines.at(line).isEmpty() && ScheduleEntry::fromLine(lines.at(line)).options().name() == which)
            named << line;
    }
    return named;
}
