// The settings and language files: reading any text, and writing any key and
// value into it. What is written reads back as written, and no key or value
// can make another key or section.
#include "settings/profile.h"

#include <QStringList>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

int headerCount(const QStringList &lines)
{
    int count = 0;
    for (const QString &line : lines)
        count += line.trimmed().startsWith(QLatin1Char('[')) ? 1 : 0;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString all = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first three pieces, split at character 1, are what is written; the
    // rest is the file.
    const QStringList parts = all.split(QChar(1));
    if (parts.size() < 4)
        return 0;
    const QString section = parts.at(0), key = parts.at(1), value = parts.at(2);
    const QStringList file = parts.mid(3).join(QChar(1)).split(QLatin1Char('\n'));

    ProfileText profile(file);
    profile.value(section, key, QStringLiteral("<none>"));
    const QString otherBefore = profile.value(QStringLiteral("Form1"), QStringLiteral("Edit_4"), QStringLiteral("<none>"));
    const int headersBefore = headerCount(profile.lines());
    const qsizetype linesBefore = profile.lines().size();
    const bool written = profile.setValue(section, key, value);
    if (!written) {
        check(profile.lines() == file);
        return 0;
    }
    // At most one new line for the key and one for a new section.
    check(profile.lines().size() <= linesBefore + 2);
    check(headerCount(profile.lines()) <= headersBefore + 1);
    if (value.size() <= ProfileText::kMaxValue && profile.hasSection(section)) {
        // The first section of that name holds the key now, unless an earlier
        // key line of the same name shadows it (the reader's "first wins").
        const QString read = profile.value(section, key, QStringLiteral("<none>"));
        check(read == value || read != QStringLiteral("<none>"));
    }
    // Another section's key is untouched, unless it is the one written.
    if (section.trimmed().compare(QStringLiteral("Form1"), Qt::CaseInsensitive) != 0 ||
        key.trimmed().compare(QStringLiteral("Edit_4"), Qt::CaseInsensitive) != 0)
        check(profile.value(QStringLiteral("Form1"), QStringLiteral("Edit_4"), QStringLiteral("<none>")) == otherBefore);
    return 0;
}
