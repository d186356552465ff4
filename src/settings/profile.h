#pragma once

#include "profilerules.h"

#include <QString>
#include <QStringList>

// The profile rules of profilerules.h on the program's text.
class ProfileText
{
public:
    static constexpr qsizetype kMaxValue = qsizetype(ProfileLines::kMaxValue);

    ProfileText() = default;
    explicit ProfileText(const QStringList &lines);
    explicit ProfileText(ProfileLines lines) : m_lines(std::move(lines)) {}

    QStringList lines() const;
    // The file's bytes: each line in the local encoding with the end it was
    // read with.
    QByteArray bytes() const;

    // The value, or `fallback` when the section or key is missing. A key
    // present with an empty value gives the empty text.
    QString value(const QString &section, const QString &key, const QString &fallback) const;
    bool hasSection(const QString &section) const;

    // False, and nothing written, for what would not read back as one key of
    // its section (see ProfileLines::isWritable).
    bool setValue(const QString &section, const QString &key, const QString &value);
    static bool isWritable(const QString &section, const QString &key, const QString &value);
    // The value as written, so that reading gives it back unchanged.
    static QString storedForm(const QString &value);
    void eraseSection(const QString &section);

private:
    ProfileLines m_lines;
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
