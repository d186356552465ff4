#include "profile.h"

#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "platform/platform.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::u16string_view view(const QString &text)
{
    return {reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size())};
}

QString toQString(std::u16string_view text)
{
    return QString(reinterpret_cast<const QChar *>(text.data()), qsizetype(text.size()));
}

} // namespace

ProfileText::ProfileText(const QStringList &lines)
{
    std::vector<ProfileLines::Text> held;
    held.reserve(std::size_t(lines.size()));
    for (const QString &line : lines)
        held.emplace_back(view(line));
    m_lines = ProfileLines(std::move(held));
}

QStringList ProfileText::lines() const
{
    QStringList result;
    result.reserve(qsizetype(m_lines.lines().size()));
    for (const auto &line : m_lines.lines())
        result << toQString(line);
    return result;
}

QString ProfileText::value(const QString &section, const QString &key,
                           const QString &fallback) const
{
    const auto found = m_lines.value(view(section), view(key));
    return found ? toQString(*found) : fallback;
}

bool ProfileText::hasSection(const QString &section) const
{
    return m_lines.hasSection(view(section));
}

bool ProfileText::setValue(const QString &section, const QString &key, const QString &value)
{
    return m_lines.setValue(view(section), view(key), view(value));
}

bool ProfileText::isWritable(const QString &section, const QString &key, const QString &value)
{
    return ProfileLines::isWritable(view(section), view(key), view(value));
}

QString ProfileText::storedForm(const QString &value)
{
    return toQString(ProfileLines::storedForm(view(value)));
}

void ProfileText::eraseSection(const QString &section)
{
    m_lines.eraseSection(view(section));
}

namespace Profile {

namespace {

ProfileText load(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    try {
        // Read as the profile functions read: a lone CR ends a line too.
        const QByteArray bytes = TextFile::readAll(path);
        std::vector<ProfileLines::Text> lines;
        for (const std::string &line : ProfileLines::splitLines({bytes.constData(), std::size_t(bytes.size())}))
            lines.emplace_back(view(Platform::decodeText(QByteArray::fromStdString(line))));
        return ProfileText(ProfileLines(std::move(lines)));
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
