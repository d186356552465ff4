#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

// The options of an entry, its eleventh field: items separated by ';', each
// a word or word=value. Items this program does not know are kept, in their
// place and as written, so a later version's options survive an edit here.
class EntryOptions
{
public:
    static EntryOptions fromField(const QString &field);
    // A field that is there but empty, held as one empty item: options the
    // program adds and takes away again leave it as it was.
    static EntryOptions emptyField();
    // The field again; empty when there are no items.
    QString toField() const { return m_items.join(QLatin1Char(';')); }
    bool isEmpty() const { return m_items.isEmpty(); }

    // The value of the first item of this word, empty for a bare word;
    // nothing when there is no such item.
    std::optional<QString> value(const QString &word) const;
    bool has(const QString &word) const { return value(word).has_value(); }
    // Replaces the first item of this word in place, or adds one at the end.
    void set(const QString &word, const std::optional<QString> &value = std::nullopt);
    void remove(const QString &word);

    // A switch is on only as its bare word: "pause=0" suspends nothing.
    bool flag(const QString &word) const { return m_items.contains(word); }
    bool paused() const { return flag(QStringLiteral("pause")); }
    // "seul": not started again while its previous start still runs.
    bool alone() const { return flag(QStringLiteral("seul")); }
    // "rattrapage": a due minute that went by unexamined is run once, late.
    bool catchesUp() const { return flag(QStringLiteral("rattrapage")); }
    // Raises EConvertError for the first item that is one of the program's
    // own options written otherwise than it reads them (a value given to a
    // switch, none to a value's word, another case, blanks around the word)
    // or given twice. Words it does not know at all are no concern of it.
    void checkForms() const;
    // "max=N": the minutes a started program may run, 1 to 1440; 0 without
    // the option. Raises EConvertError when N is not such a number.
    int stopAfterMinutes() const;
    QString name() const { return value(QStringLiteral("nom")).value_or(QString()); }

private:
    static QString wordOf(const QString &item);

    QStringList m_items;
};

// Which days of the month and which months an entry runs on, from its
// "jours" and "mois" options; both missing: every day.
class DateFilter
{
public:
    // Raises EConvertError when a list is not one.
    static DateFilter of(const EntryOptions &options);

    bool allows(const QDate &date) const;
    bool narrows() const { return m_days != kAllDays || m_lastDay || m_months != kAllMonths; }

private:
    static constexpr quint32 kAllDays = 0xfffffffeu; // bits 1 to 31
    static constexpr quint16 kAllMonths = 0x1ffeu;   // bits 1 to 12
    quint32 m_days = kAllDays;
    bool m_lastDay = false;
    quint16 m_months = kAllMonths;
};
