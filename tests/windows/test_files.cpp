#include "files/ioerrortext.h"
#include "platform/win/winfiles.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

// The text the error handler would show for the last failed file call.
std::string lastErrorText()
{
    return ioErrorText(Win::lastRuntimeIoCode());
}

// Opens and expects a refusal with the runtime's text.
void expectRefused(const std::wstring &path, const char *mode, const std::string &text)
{
    std::FILE *file = Win::openFile(path, mode);
    if (file)
        std::fclose(file);
    const unsigned long system = GetLastError();
    const int c = errno;
    EXPECT_EQ(file, nullptr) << Support::toAnsi(path) << " " << mode;
    EXPECT_EQ(lastErrorText(), text) << Support::toAnsi(path) << " " << mode << ": system error "
                                     << system << ", C error " << c;
}

} // namespace

// Each failure made for real on the system, read back as the error handler
// would record it.
TEST(RuntimeErrors, SystemCodesGiveTheRuntimeTexts)
{
    const std::wstring folder = Support::freshFolder();
    expectRefused(folder + L"missing.log", "rb", "Fichier introuvable");
    expectRefused(folder + L"no-such-folder\\20261208.log", "ab", "Nom de fichier incorrect");
    expectRefused(folder + L"a<b>.log", "ab", "Nom de fichier incorrect");

    // The system's own refusal: a folder opened as a file.
    EXPECT_EQ(CreateFileW(folder.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(lastErrorText(), "Acc\xC3\xA8s au fichier refus\xC3\xA9");
    // Ours, for anything that is not a regular file.
    expectRefused(folder, "rb", "Acc\xC3\xA8s au fichier refus\xC3\xA9");
    expectRefused(L"NUL", "wb", "Acc\xC3\xA8s au fichier refus\xC3\xA9");

    // Locked by another program: the system's own code, by number.
    const std::wstring locked = folder + L"locked.log";
    Support::writeBytes(locked, "x");
    HANDLE holder = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    expectRefused(locked, "ab", "Erreur E/S 32");
    CloseHandle(holder);

    // The write back retries another temporary name on EEXIST.
    expectRefused(locked, "wbx", "Erreur E/S 80");
    EXPECT_EQ(errno, EEXIST);
}

// Opening an existing file leaves the system's ERROR_ALREADY_EXISTS behind:
// a failure that only the C runtime reports afterwards must not read as it.
TEST(RuntimeErrors, SuccessLeavesNoStaleCode)
{
    const std::wstring journal = Support::freshFolder() + L"20261208.log";
    Support::writeBytes(journal, "12:00:00;a\r\n");
    std::FILE *file = Win::openFile(journal, "ab");
    ASSERT_NE(file, nullptr);
    errno = ENOSPC; // a short write
    EXPECT_EQ(lastErrorText(), "Disque plein");
    std::fclose(file);
}

TEST(RuntimeErrors, TooManyOpenFiles)
{
    const std::wstring path = Support::freshFolder() + L"many.log";
    Support::writeBytes(path, "x");
    std::vector<std::FILE *> open;
    std::FILE *file = nullptr;
    while (open.size() < 20000 && (file = Win::openFile(path, "rb")))
        open.push_back(file);
    const std::string text = lastErrorText();
    const unsigned long system = GetLastError();
    const int c = errno;
    for (std::FILE *f : open)
        std::fclose(f);
    ASSERT_EQ(file, nullptr) << "the C runtime took 20000 streams";
    EXPECT_EQ(text, "Trop de fichiers ouverts") << open.size() << " streams, system error " << system
                                                << ", C error " << c;
}

// Needs a small drive: tests/windows/run.sh maps one to a 64 KiB tmpfs
// when it may mount.
TEST(RuntimeErrors, DiskFull)
{
    const char *drive = std::getenv("PENDULIX_FULL_DRIVE");
    if (!drive || !*drive)
        GTEST_SKIP() << "no small drive mapped (needs root to mount a tmpfs)";
    const std::wstring path = Support::fromAnsi(drive) + L"\\20261208.log";
    std::FILE *file = Win::openFile(path, "ab");
    ASSERT_NE(file, nullptr);
    const std::string block(4096, 'x');
    bool failed = false;
    for (int i = 0; i < 1024 && !failed; ++i)
        failed = std::fwrite(block.data(), 1, block.size(), file) != block.size() ||
                 std::fflush(file) != 0;
    const std::string text = lastErrorText();
    std::fclose(file);
    DeleteFileW(path.c_str());
    ASSERT_TRUE(failed);
    EXPECT_EQ(text, "Disque plein");
}

TEST(RuntimeErrors, OtherCodesByNumber)
{
    EXPECT_EQ(ioErrorText(Win::runtimeIoCode(ERROR_FILE_NOT_FOUND, 0)), "Fichier introuvable");
    EXPECT_EQ(ioErrorText(Win::runtimeIoCode(ERROR_HANDLE_DISK_FULL, 0)), "Disque plein");
    EXPECT_EQ(ioErrorText(Win::runtimeIoCode(ERROR_LOCK_VIOLATION, 0)), "Erreur E/S 33");
}

// What the text files of the program count on: regular files only, appends
// at the end, and a rename over a file another program is reading.
TEST(Files, RegularFilesAppendsAndReplacement)
{
    const std::wstring folder = Support::freshFolder();
    const std::wstring journal = folder + L"20261208.log";
    for (const char *line : {"12:00:00;a\r\n", "12:01:00;b\r\n"}) {
        std::FILE *file = Win::openFile(journal, "ab");
        ASSERT_NE(file, nullptr);
        std::fputs(line, file);
        ASSERT_TRUE(Win::syncFile(file));
        std::fclose(file);
    }
    EXPECT_EQ(Support::readBytes(journal), "12:00:00;a\r\n12:01:00;b\r\n");
    EXPECT_TRUE(Win::isRegularFile(journal));
    EXPECT_FALSE(Win::isRegularFile(folder));
    EXPECT_TRUE(Win::isOtherThanRegularFile(folder));
    EXPECT_FALSE(Win::isOtherThanRegularFile(folder + L"missing"));

    std::FILE *cut = Win::openFile(journal, "ab");
    ASSERT_NE(cut, nullptr);
    EXPECT_TRUE(Win::truncateFile(cut, 12));
    std::fclose(cut);
    EXPECT_EQ(Support::readBytes(journal), "12:00:00;a\r\n");

    const std::wstring schedule = folder + L"cron-bat.dat";
    const std::wstring temporary = folder + L"cron-bat.dat.tmp";
    Support::writeBytes(schedule, "old\r\n");
    Support::writeBytes(temporary, "new\r\n");
    // While a reader holds it, the system may refuse the replacement (Wine
    // and older Windows do) or make it: either way the file is the old one
    // or the new one, whole, and a refusal has its text.
    std::FILE *reader = Win::openFile(schedule, "rb");
    ASSERT_NE(reader, nullptr);
    if (!Win::replaceFile(temporary, schedule)) {
        EXPECT_EQ(lastErrorText(), "Acc\xC3\xA8s au fichier refus\xC3\xA9");
        std::fclose(reader);
        EXPECT_EQ(Support::readBytes(schedule), "old\r\n");
        EXPECT_TRUE(Win::replaceFile(temporary, schedule));
    } else {
        std::fclose(reader);
    }
    EXPECT_EQ(Support::readBytes(schedule), "new\r\n");
    EXPECT_FALSE(Win::isRegularFile(temporary));
}
