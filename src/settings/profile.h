#pragma once

#include <QString>
#include <QStringList>

// The INI profile rules of the Windows profile functions, implemented here so
// that settings and language files behave the same on every platform.
//
// Reading: sections and keys matched without regard to case or the blanks
// around them; only the first section of a name is searched and the first
// entry of a key wins; a line without "=" is no key; blanks and tabs around a
// value dropped, then one matching pair of enclosing quotes; at most 2047
// characters. Writing: a key replaced in place, a new key after the last key
// of its section, a new section at the end of the file.
class ProfileText
{
public:
    static constexpr qsizetype kMaxValue = 2047;

    ProfileText() = default;
    explicit ProfileText(QStringList lines) : m_lines(std::move(lines)) {}

    const QStringList &lines() const { return m_lines; }

    // The value, or `fallback` when the section or key is missing. A key
    // present with an empty value gives the empty text.
    QString value(const QString &section, const QString &key, const QString &fallback) const;
    bool hasSection(const QString &section) const;

    // False, and nothing written, for what would not read back as one key of
    // its section (see isWritable).
    bool setValue(const QString &section, const QString &key, const QString &value);
    // A key, section or value that holds a line break, a key with "=" or
    // starting with "[", a section name with "]": writing them as given
    // would make other keys or sections.
    static bool isWritable(const QString &section, const QString &key, const QString &value);
    // The value as written, so that reading gives it back unchanged.
    static QString storedForm(const QString &value);
    void eraseSection(const QString &section);

private:
    // Index of the header of the first section of that name, or -1.
    qsizetype sectionStart(const QString &section) const;
    // Index of the line after the section's last line.
    qsizetype sectionEnd(qsizetype start) const;

    QStringList m_lines;
};

// The profile functions on files. A missing or unreadable file reads as
// empty; a write that cannot be made is dropped silently and returns false.
// Every write leaves either the old file or the new one.
namespace Profile {

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &fallback, const QString &path);
bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path);
bool EraseSection(const QString &section, const QString &path);

// Integers as the profile readers take them: decimal, or hexadecimal after
// "0x"/"0X"; `ok` false for anything else.
int toInteger(const QString &text, bool *ok);

} // namespace Profile
