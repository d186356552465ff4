// Our INI rules against the system's profile functions, on the same bytes in
// the same run. Where they differ the case says why, and whether the program
// relies on it; a case that stops differing fails too, so the list stays true.
#include "settings/profilerules.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

namespace {

const std::string kDefault = "(default)";

struct Files
{
    std::wstring folder = Support::freshFolder();
    int count = 0;
    // A new file for every call: the system caches what it has read.
    std::wstring holding(const std::string &bytes)
    {
        const std::wstring path = folder + L"p" + std::to_wstring(++count) + L".ini";
        Support::writeBytes(path, bytes);
        return path;
    }
};

std::u16string wide(const std::string &ansi)
{
    const std::wstring text = Support::fromAnsi(ansi);
    return {text.begin(), text.end()};
}

std::string ansi(const std::u16string &text)
{
    return Support::toAnsi(std::wstring(text.begin(), text.end()));
}

ProfileLines oursFrom(const std::string &bytes)
{
    std::vector<ProfileLines::Text> lines;
    for (const std::string &line : ProfileLines::splitLines(bytes))
        lines.push_back(wide(line));
    return ProfileLines(std::move(lines));
}

std::string oursRead(const std::string &bytes, const std::string &section, const std::string &key)
{
    const auto value = oursFrom(bytes).value(wide(section), wide(key));
    return value ? ansi(*value) : kDefault;
}

std::string windowsRead(const std::wstring &path, const std::string &section, const std::string &key)
{
    char buffer[2048];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), kDefault.c_str(), buffer,
                                             sizeof buffer, Support::toAnsi(path).c_str());
    return std::string(buffer, n);
}

// The program writes a value: the file read, the value set, every line
// written back with the end it was read with.
std::string oursWrite(const std::string &bytes, const std::string &section, const std::string &key,
                      const std::string &value)
{
    std::vector<ProfileLines::Text> read;
    std::vector<ProfileLines::End> ends;
    for (const std::string &line : ProfileLines::splitLines(bytes, &ends))
        read.push_back(wide(line));
    ProfileLines lines(std::move(read), std::move(ends));
    lines.setValue(wide(section), wide(key), wide(value));
    std::string written;
    for (std::size_t i = 0; i < lines.lines().size(); ++i)
        written += ansi(lines.lines()[i]) + std::string(ProfileLines::endBytes(lines.ends()[i]));
    return written;
}

std::string windowsWrite(Files &files, const std::string &bytes, const std::string &section,
                         const std::string &key, const std::string &value)
{
    const std::wstring path = files.holding(bytes);
    const std::string name = Support::toAnsi(path);
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), name.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, name.c_str()); // flush the cache
    return Support::readBytes(path);
}

// Both give the same, or the case says why they differ and what ours gives.
template <typename Case>
void expectAgreement(const Case &c, const std::string &ours, const std::string &windows)
{
    if (*c.difference) {
        EXPECT_NE(ours, windows) << "no longer differs: " << c.difference;
        EXPECT_EQ(ours, c.ours) << c.name;
        std::printf("  differs on purpose (%s): %s\n", c.name, c.difference);
    } else {
        EXPECT_EQ(ours, windows) << c.name;
    }
}

struct ReadCase
{
    const char *name;
    std::string bytes;
    const char *section;
    const char *key;
    // Empty when both agree; otherwise why, and whether the program relies
    // on it, and what ours gives.
    const char *difference = "";
    const char *ours = "";
};

const std::string kLong(3000, 'x');

const ReadCase kReads[] = {
    {"case of names", "[Form1]\r\nCheckBox_1=1\r\n", "form1", "CHECKBOX_1"},
    {"blanks around names", "  [ Other ]  \r\n  spaced key  =  v  \r\n", "Other", "spaced key"},
    {"blanks around the asked names", "[Form1]\r\nk=1\r\n", " Form1 ", " k "},
    {"tabs around a value", "[s]\r\nk=\t v \t\r\n", "s", "k"},
    {"double quotes keep blanks", "[s]\r\nk=\"  a  \"\r\n", "s", "k"},
    {"single quotes", "[s]\r\nk=' le lundi'\r\n", "s", "k"},
    {"one pair of quotes only", "[s]\r\nk=\"'a'\"\r\n", "s", "k"},
    {"quotes that do not match stay", "[s]\r\nk=\"x'\r\n", "s", "k"},
    {"a lone quote stays", "[s]\r\nk=\"\r\n", "s", "k"},
    {"quotes before trailing blanks", "[s]\r\nk=\"a\" \r\n", "s", "k"},
    {"empty value", "[s]\r\nk=\r\n", "s", "k"},
    {"missing key", "[s]\r\nother=1\r\n", "s", "k"},
    {"missing section", "[t]\r\nk=1\r\n", "s", "k"},
    {"a line without = is no key", "[s]\r\nk\r\n", "s", "k"},
    {"first entry wins", "[s]\r\nk=first\r\nK=second\r\n", "s", "k"},
    {"first section of a name only", "[s]\r\na=1\r\n[S]\r\nk=2\r\n", "s", "k"},
    {"value holds =", "[s]\r\nk=a=b\r\n", "s", "k"},
    {"no inline comment", "[s]\r\nk=a ; b\r\n", "s", "k"},
    {"keys before any section", "k=0\r\n[s]\r\nk=1\r\n", "s", "k"},
    {"a header's name runs to its last ]", "[a]b] x\r\nk=1\r\n", "a]b", "k"},
    {"[ without ] is no header", "[s]\r\n[t\r\nk=1\r\n", "s", "k"},
    {"the end-of-file character is a blank", "[s]\r\nk=1\x1a\r\n", "s", "k"},
    {"2047 characters at most", "[s]\r\nk=" + kLong + "\r\n", "s", "k"},
    {"CR-only line ends", "[s]\rk=v\rk2=w\r", "s", "k2"},
    {"LF-only line ends", "[s]\nk=v\nk2=w\n", "s", "k2"},
    {"a lone CR amid CR LF", "[s]\r\nk=v\rk2=w\r\n", "s", "k2"},
    {"bytes above 127", "[\xe9t\xe9]\r\ncl\xe9=caf\xe9\r\n", "\xe9t\xe9", "cl\xe9"},
    {"the case of letters above 127", "[\xe9t\xe9]\r\nk=1\r\n", "\xc9T\xc9", "k",
     "Wine compares letters above 127 exactly, ours ignores their case as for A-Z; "
     "not relied on: the program's sections and keys are ASCII", "1"},
    {"a NUL byte ends no line", std::string("[s]\r\nk=a\0b\r\nk2=w\r\n", 18), "s", "k2"},
    {"a UTF-8 byte-order mark", "\xef\xbb\xbf[s]\r\nk=v\r\n", "s", "k",
     "Wine reads a file that starts with a UTF-8 mark as UTF-8, ours reads every file in the "
     "ANSI code page, as the program's files are; not relied on", "(default)"},
};

} // namespace

class ProfileReads : public testing::TestWithParam<ReadCase>
{
};

TEST_P(ProfileReads, AgreeWithTheSystem)
{
    static Files files;
    const ReadCase &c = GetParam();
    const std::string windows = windowsRead(files.holding(c.bytes), c.section, c.key);
    const std::string ours = oursRead(c.bytes, c.section, c.key);
    expectAgreement(c, ours, windows);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileReads, testing::ValuesIn(kReads),
                         [](const testing::TestParamInfo<ReadCase> &info) {
                             return "case" + std::to_string(info.index);
                         });

struct WriteCase
{
    const char *name;
    std::string bytes;
    const char *section;
    const char *key;
    const char *value;
    const char *difference = "";
    const char *ours = "";
};

const WriteCase kWrites[] = {
    {"the first write creates the file", "", "Form1", "CheckBox_1", "1"},
    {"a key replaced keeps its spelling", "[Form1]\r\na=1\r\nb=2\r\n", "form1", "A", "changed"},
    {"a new key after the last key of its section",
     "[Form1]\r\nCheckBox_1=1\r\nSpinEdit_1=1\r\n[Other]\r\nz=9\r\n", "Form1", "CheckBox_9", "0"},
    {"a new section at the end, no blank line before it", "[s]\r\nk=v\r\n", "t", "x", "1"},
    {"a new section after a last line without line end", "[s]\r\nk=v", "t", "x", "1"},
    {"bytes above 127", "[Form1]\r\nEdit_4=French\r\n", "Form1", "Edit_4", "Fran\xe7" "ais"},
    {"blank and comment lines", "[Form1]\r\na=1\r\n; note\r\n\r\nb=2\r\n\r\n; tail\r\n\r\n[Other]\r\nz=9\r\n",
     "Form1", "new", "n",
     "Wine drops blank lines and puts a new key after the section's last line; ours keeps every "
     "line as it was and puts the key after the last key; not relied on: only the program "
     "writes serie.ini",
     "[Form1]\r\na=1\r\n; note\r\n\r\nb=2\r\nnew=n\r\n\r\n; tail\r\n\r\n[Other]\r\nz=9\r\n"},
    {"lone CR and LF ends in a section the program does not own",
     "[Notes]\na=1\rb=2\r\n[Form1]\r\nk=1\r\n", "Form1", "k", "2",
     "Wine writes every line end back as CR LF; ours keeps the end each line was read with, "
     "so that a section another editor wrote stays byte for byte",
     "[Notes]\na=1\rb=2\r\n[Form1]\r\nk=2\r\n"},
    {"blanks around a value", "[Form1]\r\n", "Form1", "Edit_1", "  two blanks  ",
     "Wine drops the blanks, so the value no longer reads back; ours writes it in quotes and "
     "reads it back whole, which the system's reader does too (checked below)",
     "[Form1]\r\nEdit_1=\"  two blanks  \"\r\n"},
};

class ProfileWrites : public testing::TestWithParam<WriteCase>
{
};

TEST_P(ProfileWrites, AgreeWithTheSystemAndReadBack)
{
    static Files files;
    const WriteCase &c = GetParam();
    const std::string ours = oursWrite(c.bytes, c.section, c.key, c.value);
    const std::string windows = windowsWrite(files, c.bytes, c.section, c.key, c.value);
    expectAgreement(c, ours, windows);
    // What ours writes, the system reads back as written.
    EXPECT_EQ(windowsRead(files.holding(ours), c.section, c.key), c.value) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileWrites, testing::ValuesIn(kWrites),
                         [](const testing::TestParamInfo<WriteCase> &info) {
                             return "case" + std::to_string(info.index);
                         });
