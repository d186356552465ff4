#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The INI profile rules of the Windows profile functions, implemented here so
// that settings and language files behave the same on every platform. Free of
// Qt, so that the Windows build can hold them against the system's own
// functions on the same files.
//
// Reading: sections and keys matched without regard to case or the blanks
// around them; only the first section of a name is searched and the first
// entry of a key wins; a line without "=" is no key; a line is a section
// header when it starts with "[" and holds a "]", the name ending at the last
// one; blanks around a value dropped, then one matching pair of enclosing
// quotes; at most 2047 characters. Writing: a key replaced in place, a new key
// after the last key of its section, a new section at the end of the file.
// Each line keeps the end it was read with, so that writing back leaves a
// lone CR or LF where the user put one; a line the program adds ends with
// CR LF, as does a last line that had no end.
class ProfileLines
{
public:
    using Text = std::u16string;
    using View = std::u16string_view;
    static constexpr std::size_t kMaxValue = 2047;
    enum class End : unsigned char { CrLf, Lf, Cr };

    ProfileLines() = default;
    explicit ProfileLines(std::vector<Text> lines);
    // `ends` holds one end per line.
    ProfileLines(std::vector<Text> lines, std::vector<End> ends);

    const std::vector<Text> &lines() const { return m_lines; }
    const std::vector<End> &ends() const { return m_ends; }
    static std::string_view endBytes(End end);

    // The value, or nothing when the section or key is missing. A key present
    // with an empty value gives the empty text.
    std::optional<Text> value(View section, View key) const;
    bool hasSection(View section) const;

    // False, and nothing written, for what would not read back as one key of
    // its section (see isWritable).
    bool setValue(View section, View key, View value);
    // A key, section or value that holds a line break, a key with "=" or
    // starting with "[", a section name with "]": writing them as given
    // would make other keys or sections.
    static bool isWritable(View section, View key, View value);
    // The value as written, so that reading gives it back unchanged.
    static Text storedForm(View value);
    void eraseSection(View section);

    // The lines of a profile file's bytes: CR LF, LF or a lone CR ends a
    // line, as the profile functions read them; a last line without line end
    // counts. `ends`, when given, receives the end of each line.
    static std::vector<std::string> splitLines(std::string_view bytes,
                                               std::vector<End> *ends = nullptr);

    // Names compare with the case of the letters of the ANSI code pages
    // (Latin, Greek, Cyrillic) ignored.
    static bool sameName(View a, View b);

private:
    // Index of the header of the first section of that name, or npos.
    std::size_t sectionStart(View section) const;
    // Index of the line after the section's last line.
    std::size_t sectionEnd(std::size_t start) const;

    void insertLine(std::size_t at, Text line);

    std::vector<Text> m_lines;
    std::vector<End> m_ends;
};
