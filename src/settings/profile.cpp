#include "profile.h"

#include "journal/runtimeerror.h"
#include "journal/textfile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kBlanks = QStringLiteral(" \t");

QString trimBlanks(QStringView text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && kBlanks.contains(text.at(start)))
        ++start;
    while (end > start && kBlanks.contains(text.at(end - 1)))
        --end;
    return text.mid(start, end - start).toString();
}

// The section name of a header line, or a null string for other lines.
QString headerName(const QString &line)
{
    const QString trimmed = trimBlanks(line);
    if (!trimmed.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
    const QString name = trimBlanks(QStringView(trimmed).mid(1, close < 0 ? -1 : close - 1));
    return name.isNull() ? QStringLiteral("") : name;
}

// The key of an entry line, or a null string for a line without "=".
QString keyOf(const QString &line)
{
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    return equals < 0 ? QString() : trimBlanks(QStringView(line).left(equals));
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

qsizetype ProfileText::sectionStart(const QString &section) const
{
    const QString wanted = trimBlanks(section);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QString name = headerName(m_lines.at(i));
        if (!name.isNull() && sameName(name, wanted))
            return i;
    }
    return -1;
}

qsizetype ProfileText::sectionEnd(qsizetype start) const
{
    qsizetype i = start + 1;
    while (i < m_lines.size() && headerName(m_lines.at(i)).isNull())
        ++i;
    return i;
}

bool ProfileText::hasSection(const QString &section) const
{
    return sectionStart(section) >= 0;
}

QString ProfileText::value(const QString &section, const QString &key,
                           const QString &fallback) const
{
    const qsizetype start = sectionStart(section);
    if (start < 0)
        return fallback;
    const QString wanted = trimBlanks(key);
    const qsizetype end = sectionEnd(start);
    for (qsizetype i = start + 1; i < end; ++i) {
        const QString &line = m_lines.at(i);
        const QString lineKey = keyOf(line);
        if (lineKey.isNull() || !sameName(lineKey, wanted))
            continue;
        QString value = trimBlanks(QStringView(line).mid(line.indexOf(QLatin1Char('=')) + 1));
        if (value.size() >= 2 && value.front() == value.back() &&
            (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        return value.left(kMaxValue);
    }
    return fallback;
}

bool ProfileText::isWritable(const QString &section, const QString &key, const QString &value)
{
    const auto breaksLine = [](const QString &text) {
        return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
    };
    // Names are plain text: a control character in one (a vertical tab before
    // a "[") reads differently in every reader.
    const auto hasControl = [](const QString &text) {
        for (const QChar c : text) {
            if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7f)
                return true;
        }
        return false;
    };
    // A key must stay one key of its own section: no line break, no "=" that
    // would cut it, no "[" that would make its line a section header.
    if (trimBlanks(key).isEmpty() || hasControl(key) || key.contains(QLatin1Char('=')) ||
        key.trimmed().startsWith(QLatin1Char('[')))
        return false;
    if (hasControl(section) || section.contains(QLatin1Char(']')) || trimBlanks(section).isEmpty())
        return false;
    return !breaksLine(value);
}

QString ProfileText::storedForm(const QString &value)
{
    // Blanks around a value, or a pair of enclosing quotes, would be dropped
    // on reading: one more pair of quotes keeps them.
    const QString read = [&] {
        QString v = trimBlanks(value);
        if (v.size() >= 2 && v.front() == v.back() &&
            (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')))
            v = v.mid(1, v.size() - 2);
        return v;
    }();
    return read == value ? value : QLatin1Char('"') + value + QLatin1Char('"');
}

bool ProfileText::setValue(const QString &section, const QString &key, const QString &given)
{
    if (!isWritable(section, key, given))
        return false;
    const QString value = storedForm(given);
    const QString entry = key + QLatin1Char('=') + value;
    const qsizetype start = sectionStart(section);
    if (start < 0) {
        m_lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
        return true;
    }
    const qsizetype end = sectionEnd(start);
    qsizetype lastKey = start;
    for (qsizetype i = start + 1; i < end; ++i) {
        const QString lineKey = keyOf(m_lines.at(i));
        if (lineKey.isNull())
            continue;
        if (sameName(lineKey, trimBlanks(key))) {
            // The stored spelling of the key stays.
            m_lines[i] = lineKey + QLatin1Char('=') + value;
            return true;
        }
        lastKey = i;
    }
    m_lines.insert(lastKey + 1, entry);
    return true;
}

void ProfileText::eraseSection(const QString &section)
{
    const qsizetype start = sectionStart(section);
    if (start >= 0)
        m_lines.remove(start, sectionEnd(start) - start);
}

namespace Profile {

namespace {

ProfileText load(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    try {
        return ProfileText(TextFile::readLines(path));
    } catch (const RuntimeError &) {
        return {};
    }
}

// A file without write permission is left alone, as the profile functions
// leave it; replacing it through a rename would otherwise succeed.
bool isReadOnly(const QString &path)
{
    return QFileInfo::exists(path) && !(QFile::permissions(path) & QFileDevice::WriteOwner);
}

bool store(const QString &path, const ProfileText &text)
{
    try {
        TextFile::replaceAll(path, text.lines());
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

} // namespace

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &fallback, const QString &path)
{
    return load(path).value(section, key, fallback);
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path)
{
    if (isReadOnly(path))
        return false;
    ProfileText text = load(path);
    if (!text.setValue(section, key, value))
        return false;
    return store(path, text);
}

bool EraseSection(const QString &section, const QString &path)
{
    if (isReadOnly(path))
        return false;
    ProfileText text = load(path);
    text.eraseSection(section);
    return store(path, text);
}

int toInteger(const QString &text, bool *ok)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return trimmed.mid(2).toInt(ok, 16);
    return trimmed.toInt(ok, 10);
}

} // namespace Profile
