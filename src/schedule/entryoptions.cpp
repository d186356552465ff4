#include "entryoptions.h"

#include "files/runtimeerror.h"

namespace {

const QChar kEquals = QLatin1Char('=');

// "1,15,31": the numbers from 1 to `highest`, each a bit; `last` takes
// "fin" where it may stand. Nothing else, no blanks, no empty item.
quint32 listBits(const QString &list, int highest, bool *last, const QString &error)
{
    quint32 bits = 0;
    if (list.isEmpty())
        throw EConvertError(error.arg(list));
    for (const QString &item : list.split(QLatin1Char(','))) {
        if (last && item == QLatin1String("fin")) {
            *last = true;
            continue;
        }
        bool ok = false;
        const int number = item.toInt(&ok);
        if (!ok || number < 1 || number > highest || QString::number(number) != item)
            throw EConvertError(error.arg(list));
        bits |= 1u << number;
    }
    return bits;
}

} // namespace

EntryOptions EntryOptions::fromField(const QString &field)
{
    EntryOptions options;
    if (!field.isEmpty())
        options.m_items = field.split(QLatin1Char(';'));
    return options;
}

EntryOptions EntryOptions::emptyField()
{
    EntryOptions options;
    options.m_items << QString();
    return options;
}

void EntryOptions::checkForms() const
{
    static const QStringList switches = {QStringLiteral("pause"), QStringLiteral("seul"),
                                         QStringLiteral("rattrapage")};
    static const QStringList valued = {QStringLiteral("nom"), QStringLiteral("jours"), QStringLiteral("mois"),
                                       QStringLiteral("max")};
    QStringList seen;
    for (const QString &item : m_items) {
        const QString word = wordOf(item);
        const QString known = word.trimmed().toLower();
        const bool isSwitch = switches.contains(known);
        if (!isSwitch && !valued.contains(known))
            continue;
        if (word != known || isSwitch == item.contains(kEquals))
            throw EConvertError(QStringLiteral("'%1' n'est pas une option correcte").arg(item));
        if (seen.contains(known))
            throw EConvertError(QStringLiteral("L'option '%1' est donnée deux fois").arg(known));
        seen << known;
    }
}

QString EntryOptions::wordOf(const QString &item)
{
    return item.section(kEquals, 0, 0);
}

std::optional<QString> EntryOptions::value(const QString &word) const
{
    for (const QString &item : m_items) {
        if (wordOf(item) == word)
            return item.contains(kEquals) ? item.section(kEquals, 1) : QString();
    }
    return std::nullopt;
}

void EntryOptions::set(const QString &word, const std::optional<QString> &value)
{
    const QString item = value ? word + kEquals + *value : word;
    for (QString &existing : m_items) {
        if (wordOf(existing) == word) {
            existing = item;
            return;
        }
    }
    m_items << item;
}

void EntryOptions::remove(const QString &word)
{
    m_items.removeIf([&](const QString &item) { return wordOf(item) == word; });
}

int EntryOptions::stopAfterMinutes() const
{
    const std::optional<QString> text = value(QStringLiteral("max"));
    if (!text)
        return 0;
    bool ok = false;
    const int minutes = text->toInt(&ok);
    if (!ok || minutes < 1 || minutes > 1440 || QString::number(minutes) != *text)
        throw EConvertError(QStringLiteral("'%1' n'est pas une durée correcte (1 à 1440 minutes)").arg(*text));
    return minutes;
}

DateFilter DateFilter::of(const EntryOptions &options)
{
    DateFilter filter;
    if (const auto days = options.value(QStringLiteral("jours"))) {
        filter.m_days = listBits(*days, 31, &filter.m_lastDay,
                                 QStringLiteral("'%1' n'est pas une liste de jours du mois correcte"));
    }
    if (const auto months = options.value(QStringLiteral("mois"))) {
        filter.m_months = quint16(listBits(*months, 12, nullptr,
                                           QStringLiteral("'%1' n'est pas une liste de mois correcte")));
    }
    return filter;
}

bool DateFilter::allows(const QDate &date) const
{
    if (!date.isValid())
        return false;
    const bool day = (m_days & (1u << date.day())) || (m_lastDay && date.day() == date.daysInMonth());
    return day && (m_months & (1u << date.month()));
}
