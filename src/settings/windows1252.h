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

} // namespace Windows1252
