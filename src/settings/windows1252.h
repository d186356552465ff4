#pragma once

#include <optional>
#include <string>
#include <string_view>

// The Windows ANSI code page of Western Europe, in which the language file
// ships for Windows: the captions are kept in UTF-8 and converted at build
// time.
namespace Windows1252 {

// The UTF-8 text in Windows-1252; nothing when it holds a character the code
// page lacks or is no valid UTF-8.
std::optional<std::string> fromUtf8(std::string_view utf8);

// Windows-1252 bytes as UTF-16; the five bytes the code page leaves
// undefined become the control characters of the same number, as Windows
// converts them.
std::u16string toUtf16(std::string_view bytes);

} // namespace Windows1252
