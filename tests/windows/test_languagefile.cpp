// The Windows copy of the language file, made from the UTF-8 source as the
// build makes it, read by the system's profile functions in the ANSI code
// page: every caption of every language as our reader takes it from the source.
#include "settings/profilerules.h"
#include "settings/windows1252.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(LanguageFile, WindowsCopyHoldsTheSourceCaptions)
{
    if (GetACP() != 1252)
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not Windows-1252";
    const std::string source = Support::readBytes(Support::fromAnsi(LANGUAGE_SOURCE));
    ASSERT_FALSE(source.empty()) << LANGUAGE_SOURCE;
    const auto converted = Windows1252::fromUtf8(source);
    ASSERT_TRUE(converted);
    const std::wstring copy = Support::freshFolder() + L"sourcelang.ini";
    Support::writeBytes(copy, *converted);
    const std::string copyName = Support::toAnsi(copy);

    std::vector<ProfileLines::Text> lines;
    for (const std::string &line : ProfileLines::splitLines(source)) {
        const std::wstring text = Support::fromUtf8(line);
        lines.emplace_back(text.begin(), text.end());
    }
    const ProfileLines ours(lines);
    int captions = 0;
    std::wstring section;
    for (const auto &line : lines) {
        const std::wstring text(line.begin(), line.end());
        if (text.starts_with(L'[')) {
            section = text.substr(1, text.find(L']') - 1);
            continue;
        }
        const auto equals = text.find(L'=');
        if (equals == std::wstring::npos)
            continue;
        const std::wstring key = text.substr(0, equals);
        const auto expected = ours.value(std::u16string(section.begin(), section.end()),
                                         std::u16string(key.begin(), key.end()));
        ASSERT_TRUE(expected);
        char buffer[2048];
        const DWORD n = GetPrivateProfileStringA(Support::toAnsi(section).c_str(),
                                                 Support::toAnsi(key).c_str(), "(missing)", buffer,
                                                 sizeof buffer, copyName.c_str());
        const std::wstring windows = Support::fromAnsi(std::string(buffer, n));
        EXPECT_EQ(windows, std::wstring(expected->begin(), expected->end()))
            << Support::toAnsi(section) << "/" << Support::toAnsi(key);
        ++captions;
    }
    // 140 captions and 10 hints in each of the two languages.
    EXPECT_EQ(captions, 300);
}
