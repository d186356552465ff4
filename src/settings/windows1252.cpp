#include "windows1252.h"

#include <algorithm>
#include <array>

namespace Windows1252 {

namespace {

// 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::optional<char> byteFor(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    const auto found = std::find(kHigh.begin(), kHigh.end(), c);
    if (found == kHigh.end())
        return std::nullopt;
    return char(0x80 + (found - kHigh.begin()));
}

// The next code point of UTF-8 text, or nothing for a malformed sequence.
std::optional<char32_t> nextCodePoint(std::string_view text, std::size_t &at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const int length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    if (length == 0 || at + std::size_t(length) > text.size())
        return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(at + std::size_t(i)) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(at + std::size_t(i)) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    at += std::size_t(length);
    return c;
}

} // namespace

std::optional<std::string> fromUtf8(std::string_view utf8)
{
    std::string result;
    result.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        const auto c = nextCodePoint(utf8, at);
        const auto b = c ? byteFor(*c) : std::nullopt;
        if (!b)
            return std::nullopt;
        result += *b;
    }
    return result;
}

} // namespace Windows1252
