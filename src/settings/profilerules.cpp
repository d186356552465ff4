#include "profilerules.h"

#include <algorithm>

namespace {

constexpr std::size_t npos = std::u16string::npos;

// The profile functions count the end-of-file character among the blanks.
bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f' || c == 0x1a;
}

ProfileLines::View trimBlanks(ProfileLines::View text)
{
    std::size_t start = 0;
    std::size_t end = text.size();
    while (start < end && isBlank(text[start]))
        ++start;
    while (end > start && isBlank(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

bool isQuote(char16_t c)
{
    return c == u'"' || c == u'\'';
}

// The value as reading gives it: blanks dropped, then one pair of quotes.
ProfileLines::View readForm(ProfileLines::View raw)
{
    ProfileLines::View value = trimBlanks(raw);
    if (value.size() >= 2 && value.front() == value.back() && isQuote(value.front()))
        value = value.substr(1, value.size() - 2);
    return value;
}

// The section name of a header line, or nothing for other lines.
std::optional<ProfileLines::View> headerName(ProfileLines::View line)
{
    const ProfileLines::View trimmed = trimBlanks(line);
    if (trimmed.empty() || trimmed.front() != u'[')
        return std::nullopt;
    const std::size_t close = trimmed.rfind(u']');
    if (close == npos)
        return std::nullopt;
    return trimBlanks(trimmed.substr(1, close - 1));
}

// The key of an entry line, or nothing for a line without "=".
std::optional<ProfileLines::View> keyOf(ProfileLines::View line)
{
    const std::size_t equals = line.find(u'=');
    if (equals == npos)
        return std::nullopt;
    return trimBlanks(line.substr(0, equals));
}

char16_t foldCase(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return char16_t(c + 32);
    // Latin Extended-A pairs; the dotted and the dotless i are no pair.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return char16_t(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? char16_t(c + 1) : c;
    if (c == 0x178)
        return 0xFF;
    // Greek, its accented capitals and the final sigma.
    if (c == 0x386)
        return 0x3AC;
    if (c >= 0x388 && c <= 0x38A)
        return char16_t(c + 37);
    if (c == 0x38C)
        return 0x3CC;
    if (c == 0x38E || c == 0x38F)
        return char16_t(c + 63);
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return char16_t(c + 32);
    if (c == 0x3C2)
        return 0x3C3;
    // Cyrillic, and the pairs of its extensions (Ґ, Ғ, Җ...).
    if (c >= 0x410 && c <= 0x42F)
        return char16_t(c + 32);
    if (c >= 0x400 && c <= 0x40F)
        return char16_t(c + 80);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF))
        return char16_t(c | 1);
    return c;
}

bool hasControl(ProfileLines::View text)
{
    return std::any_of(text.begin(), text.end(), [](char16_t c) {
        return (c < 0x20 && c != u'\t') || c == 0x7f;
    });
}

} // namespace

ProfileLines::ProfileLines(std::vector<Text> lines)
    : m_lines(std::move(lines)), m_ends(m_lines.size(), End::CrLf)
{
}

ProfileLines::ProfileLines(std::vector<Text> lines, std::vector<End> ends)
    : m_lines(std::move(lines)), m_ends(std::move(ends))
{
    m_ends.resize(m_lines.size(), End::CrLf);
}

std::string_view ProfileLines::endBytes(End end)
{
    switch (end) {
    case End::Lf:
        return "\n";
    case End::Cr:
        return "\r";
    case End::CrLf:
        break;
    }
    return "\r\n";
}

void ProfileLines::insertLine(std::size_t at, Text line)
{
    m_lines.insert(m_lines.begin() + std::ptrdiff_t(at), std::move(line));
    m_ends.insert(m_ends.begin() + std::ptrdiff_t(at), End::CrLf);
}

bool ProfileLines::sameName(View a, View b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return foldCase(x) == foldCase(y); });
}

std::size_t ProfileLines::sectionStart(View section) const
{
    const View wanted = trimBlanks(section);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const auto name = headerName(m_lines[i]);
        if (name && sameName(*name, wanted))
            return i;
    }
    return npos;
}

std::size_t ProfileLines::sectionEnd(std::size_t start) const
{
    std::size_t i = start + 1;
    while (i < m_lines.size() && !headerName(m_lines[i]))
        ++i;
    return i;
}

bool ProfileLines::hasSection(View section) const
{
    return sectionStart(section) != npos;
}

std::optional<ProfileLines::Text> ProfileLines::value(View section, View key) const
{
    const std::size_t start = sectionStart(section);
    if (start == npos)
        return std::nullopt;
    const View wanted = trimBlanks(key);
    const std::size_t end = sectionEnd(start);
    for (std::size_t i = start + 1; i < end; ++i) {
        const View line = m_lines[i];
        const auto lineKey = keyOf(line);
        if (!lineKey || !sameName(*lineKey, wanted))
            continue;
        return Text(readForm(line.substr(line.find(u'=') + 1)).substr(0, kMaxValue));
    }
    return std::nullopt;
}

bool ProfileLines::isWritable(View section, View key, View value)
{
    // Names are plain text: a control character in one (a vertical tab before
    // a "[") reads differently in every reader. A key must stay one key of
    // its own section: no "=" that would cut it, no "[" that would make its
    // line a section header.
    const View trimmedKey = trimBlanks(key);
    if (trimmedKey.empty() || hasControl(key) || key.find(u'=') != npos ||
        trimmedKey.front() == u'[')
        return false;
    if (hasControl(section) || section.find(u']') != npos || trimBlanks(section).empty())
        return false;
    return value.find_first_of(u"\r\n") == npos;
}

ProfileLines::Text ProfileLines::storedForm(View value)
{
    // Blanks around a value, or a pair of enclosing quotes, would be dropped
    // on reading: one more pair of quotes keeps them.
    if (readForm(value) == value)
        return Text(value);
    return u'"' + Text(value) + u'"';
}

bool ProfileLines::setValue(View section, View key, View given)
{
    if (!isWritable(section, key, given))
        return false;
    const Text value = storedForm(given);
    const std::size_t start = sectionStart(section);
    if (start == npos) {
        insertLine(m_lines.size(), u'[' + Text(section) + u']');
        insertLine(m_lines.size(), Text(key) + u'=' + value);
        return true;
    }
    const std::size_t end = sectionEnd(start);
    std::size_t lastKey = start;
    for (std::size_t i = start + 1; i < end; ++i) {
        const auto lineKey = keyOf(m_lines[i]);
        if (!lineKey)
            continue;
        if (sameName(*lineKey, trimBlanks(key))) {
            // The stored spelling of the key stays.
            m_lines[i] = Text(*lineKey) + u'=' + value;
            return true;
        }
        lastKey = i;
    }
    insertLine(lastKey + 1, Text(key) + u'=' + value);
    return true;
}

void ProfileLines::eraseSection(View section)
{
    const std::size_t start = sectionStart(section);
    if (start == npos)
        return;
    const std::size_t end = sectionEnd(start);
    m_lines.erase(m_lines.begin() + std::ptrdiff_t(start), m_lines.begin() + std::ptrdiff_t(end));
    m_ends.erase(m_ends.begin() + std::ptrdiff_t(start), m_ends.begin() + std::ptrdiff_t(end));
}

std::vector<std::string> ProfileLines::splitLines(std::string_view bytes, std::vector<End> *ends)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            if (ends)
                ends->push_back(End::CrLf);
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        const bool crLf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
        if (ends)
            ends->push_back(crLf ? End::CrLf : bytes[end] == '\r' ? End::Cr : End::Lf);
        start = end + (crLf ? 2 : 1);
    }
    return lines;
}
