#include "profile.h"

#include "files/runtimeerror.h"
#include "files/textfile.h"
#include "platform/platform.h"

#include <QFile>
#include <QDateTime>
#include <QFileInfo>

#include <list>
#include <memory>

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

QByteArray ProfileText::bytes() const
{
    QByteArray result;
    const auto &ends = m_lines.ends();
    for (std::size_t i = 0; i < m_lines.lines().size(); ++i) {
        const std::string_view end = ProfileLines::endBytes(ends[i]);
        result += Platform::encodeText(toQString(m_lines.lines()[i]));
        result.append(end.data(), qsizetype(end.size()));
    }
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

// What a file looked like when it was parsed: a change of size or of
// last-write time means it changed.
struct Stamp
{
    qint64 size = -1;
    QDateTime modified;
    bool operator==(const Stamp &) const = default;
    static Stamp of(const QFileInfo &info) { return {info.size(), info.lastModified()}; }
};

struct Parsed
{
    QString path;
    Stamp stamp;
    // Shared, not copied: a look-up must not copy a file of many megabytes.
    std::shared_ptr<const ProfileText> text;
};

// The last files parsed (the settings and the language file): a look-up
// parses its file once per change, not once per key, which a language file
// of many megabytes would make last minutes.
std::list<Parsed> &parsedFiles()
{
    static std::list<Parsed> files;
    return files;
}
constexpr std::size_t kParsedFiles = 2;

std::shared_ptr<const ProfileText> remember(const QString &path, const Stamp &stamp, ProfileText text)
{
    std::list<Parsed> &files = parsedFiles();
    files.remove_if([&path](const Parsed &parsed) { return parsed.path == path; });
    auto shared = std::make_shared<const ProfileText>(std::move(text));
    files.push_front({path, stamp, shared});
    while (files.size() > kParsedFiles)
        files.pop_back();
    return shared;
}

ProfileText parse(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return {};
    try {
        // Read as the profile functions read: a lone CR ends a line too.
        const QByteArray bytes = TextFile::readAll(path);
        std::vector<ProfileLines::Text> lines;
        std::vector<ProfileLines::End> ends;
        for (const std::string &line :
             ProfileLines::splitLines({bytes.constData(), std::size_t(bytes.size())}, &ends))
            lines.emplace_back(view(Platform::decodeText(QByteArray::fromStdString(line))));
        return ProfileText(ProfileLines(std::move(lines), std::move(ends)));
    } catch (const RuntimeError &) {
        return {};
    }
}

std::shared_ptr<const ProfileText> load(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::make_shared<const ProfileText>();
    const Stamp stamp = Stamp::of(info);
    for (const Parsed &parsed : parsedFiles()) {
        if (parsed.path == path && parsed.stamp == stamp)
            return parsed.text;
    }
    return remember(path, stamp, parse(path));
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
        TextFile::replaceAll(path, text.bytes());
        remember(path, Stamp::of(QFileInfo(path)), text);
        return true;
    } catch (const RuntimeError &) {
        return false;
    }
}

} // namespace

QString GetPrivateProfileString(const QString &section, const QString &key,
                                const QString &fallback, const QString &path)
{
    return load(path)->value(section, key, fallback);
}

bool WritePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path)
{
    if (isReadOnly(path))
        return false;
    ProfileText text = *load(path);
    if (!text.setValue(section, key, value))
        return false;
    return store(path, text);
}

bool EraseSection(const QString &section, const QString &path)
{
    if (isReadOnly(path))
        return false;
    ProfileText text = *load(path);
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
