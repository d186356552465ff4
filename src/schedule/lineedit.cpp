#include "lineedit.h"

#include "entryoptions.h"
#include "files/runtimeerror.h"
#include "schedulefile.h"

#include <QList>

#include <functional>

namespace {

const QChar kBar = QLatin1Char('|');
// Minute, hour, seven flags, target.
constexpr qsizetype kFields = 10;

QList<qsizetype> barsOf(const QString &line)
{
    QList<qsizetype> bars;
    for (qsizetype at = line.indexOf(kBar); at >= 0; at = line.indexOf(kBar, at + 1))
        bars << at;
    return bars;
}

// Rewrites the options field of `line` (its eleventh), after `head` replaced
// the first ten fields when given.
QString withOptions(const QString &line, const std::optional<QString> &head,
                    const std::function<void(EntryOptions &)> &change)
{
    QString padded = line;
    QList<qsizetype> bars = barsOf(padded);
    // A line too short to be an entry gets the fields it lacks, empty.
    while (bars.size() < kFields) {
        padded += kBar;
        bars << padded.size() - 1;
    }
    const qsizetype start = bars.at(kFields - 1) + 1;
    const bool hasField = bars.size() > kFields;
    const QString field = hasField ? padded.mid(start, bars.at(kFields) - start) : QString();
    // An empty field that ends the line is kept as such: suspended and
    // resumed, "||" and "||tail" come back as they were, not as "|" and "|tail".
    EntryOptions options = hasField && field.isEmpty() && bars.size() == kFields + 1
                               ? EntryOptions::emptyField()
                               : EntryOptions::fromField(field);
    change(options);
    const QString kept = head ? *head : padded.left(start);
    if (!hasField)
        return options.isEmpty() ? kept + padded.mid(start)
                                 : kept + options.toField() + kBar + padded.mid(start);
    // Options emptied by the program from a field that ends the line: the
    // field goes as it came.
    if (options.isEmpty() && !field.isEmpty() && bars.size() == kFields + 1)
        return kept + padded.mid(bars.at(kFields) + 1);
    return kept + options.toField() + padded.mid(bars.at(kFields));
}

void setOrRemove(EntryOptions &options, const QString &word, const QString &value)
{
    if (value.isEmpty())
        options.remove(word);
    else if (options.value(word) != value)
        options.set(word, value);
}

// A bare word set or cleared; set again where it stands when it is already
// there. Clearing takes every item of the word, whatever its form.
void setWord(EntryOptions &options, const QString &word, bool on)
{
    if (on && !options.flag(word))
        options.set(word);
    else if (!on && options.has(word))
        options.remove(word);
}

bool hasUnshowableLimit(const EntryOptions &options)
{
    try {
        options.stopAfterMinutes();
        return false;
    } catch (const EConvertError &) {
        return true;
    }
}

void setPause(EntryOptions &options, bool paused)
{
    setWord(options, QStringLiteral("pause"), paused);
}

} // namespace

namespace LineEdit {

QString withPause(const QString &line, bool paused)
{
    return withOptions(line, std::nullopt,
                       [paused](EntryOptions &options) { setPause(options, paused); });
}

QString edited(const QString &line, const EntryForm &form)
{
    QString head = form.minute + kBar + form.hour + kBar;
    for (bool day : form.days)
        head += (day ? QLatin1Char('1') : QLatin1Char('0')) + QString(kBar);
    head += form.target + kBar;
    return withOptions(line, head, [&form](EntryOptions &options) {
        setOrRemove(options, QStringLiteral("nom"), form.name);
        setOrRemove(options, QStringLiteral("jours"), form.monthDays);
        setOrRemove(options, QStringLiteral("mois"), form.months);
        setPause(options, form.paused);
        setWord(options, QStringLiteral("seul"), form.alone);
        // A limit the page could not show stays as the line has it, and is
        // still told at each load, unless the user sets one.
        if (form.stopAfterMinutes > 0 || !hasUnshowableLimit(options))
            setOrRemove(options, QStringLiteral("max"),
                        form.stopAfterMinutes > 0 ? QString::number(form.stopAfterMinutes) : QString());
        setWord(options, QStringLiteral("rattrapage"), form.catchUp);
    });
}

bool canHoldOptionValue(const QString &value)
{
    return !value.contains(QLatin1Char(';')) && ScheduleFile::canHoldTarget(value);
}

} // namespace LineEdit
