#include "platform/win/winkeeper.h"
#include "platform/win/winrunfile.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

const std::string kRecord = "id 42\nprogram instance_probe\n";

std::string tag(const char *what)
{
    return std::string("pendulix-keeper-") + what + "-" + std::to_string(GetCurrentProcessId());
}

bool contains(const std::string &text, const std::string &part)
{
    return text.find(part) != std::string::npos;
}

// One run kept in a runs folder of its own (a name with spaces, as under
// "Program Files"), with its "ended" folder.
class KeptRun : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_runs = Support::freshFolder() + L"les runs\\";
        ASSERT_TRUE(CreateDirectoryW(m_runs.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((m_runs + L"ended").c_str(), nullptr));
    }

    void TearDown() override
    {
        for (void *keeper : m_keepers) {
            TerminateProcess(static_cast<HANDLE>(keeper), 1);
            CloseHandle(static_cast<HANDLE>(keeper));
        }
    }

    // Starts the probe with `arguments` under a keeper; the run's file.
    std::wstring start(const std::string &arguments, const Win::KeptLimits &limits,
                       const std::wstring &id = L"42")
    {
        const std::wstring runFile = m_runs + id + L".run";
        void *keeper = nullptr;
        EXPECT_EQ(Win::startKept(Support::keeperPath(), Support::toAnsi(Support::probePath()),
                                 arguments, limits, runFile, kRecord, &keeper),
                  Win::KeptStart::Started);
        m_keepers.push_back(keeper);
        return runFile;
    }

    // Waits for the last keeper started to end; its exit code, or -1.
    long keeperEnd(unsigned long ms = 30000)
    {
        void *keeper = m_keepers.back();
        m_keepers.pop_back();
        return Support::waitForEnd(keeper, ms);
    }

    Win::KeptLimits limits(const std::wstring &output = L"42.txt") const
    {
        Win::KeptLimits limits;
        limits.output = m_runs + output;
        limits.kept = 1 << 20;
        return limits;
    }

    std::wstring m_runs;
    std::vector<void *> m_keepers;
};

} // namespace

// What the keeper reads back of its command line is what it was given,
// whatever the quotes, spaces and backslashes, and an empty note stays one.
TEST(KeeperCommandLine, ReadsBackAwkwardArguments)
{
    Win::KeptLimits limits;
    limits.output = L"C:\\sorties du soir\\";
    limits.kept = 4096;
    limits.noteBefore = "\r\n[\"Sortie\" coup\xe9"
                        "e \\\\ apr\xe8s ";
    limits.noteAfter = "";
    limits.stopAfterMs = 60000;
    const std::string program = "C:\\Program Files\\outil\\run me.exe";
    const std::string parameters = "-a \"b c\" d\\\\ \\\"e\\";
    const std::wstring line =
        Win::keeperCommandLine(L"C:\\Pendulix\\pendulix-run.exe",
                               L"C:\\Pendulix\\runs\\a b\\42.run", limits, program, parameters);
    int count = 0;
    wchar_t **words = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(words, nullptr);
    ASSERT_EQ(count, 9);
    EXPECT_EQ(std::wstring(words[0]), L"C:\\Pendulix\\pendulix-run.exe");
    EXPECT_EQ(std::wstring(words[1]), L"C:\\Pendulix\\runs\\a b\\42.run");
    EXPECT_EQ(std::wstring(words[2]), limits.output);
    EXPECT_EQ(std::wstring(words[3]), L"4096");
    EXPECT_EQ(Support::toAnsi(words[4]), limits.noteBefore);
    EXPECT_EQ(std::wstring(words[5]), L"");
    EXPECT_EQ(std::wstring(words[6]), L"60000");
    EXPECT_EQ(Support::toAnsi(words[7]), program);
    EXPECT_EQ(Support::toAnsi(words[8]), parameters);
    LocalFree(words);
    EXPECT_EQ(Win::quotedArgument(L"a\\\\\"b\\"), L"\"a\\\\\\\\\\\"b\\\\\"");
}

// What the program writes is in the file while it runs; meanwhile the run's
// file is locked, as a fresh look finds it, and its record readable. At the
// end the file is in "ended\" with the record, its end and the exit code,
// and the lock has gone with the keeper.
TEST_F(KeptRun, OutputComesWhileItRunsAndTheEndIsRecorded)
{
    const std::string go = tag("print");
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, go.c_str());
    const Win::KeptLimits kept = limits();
    const std::wstring runFile = start("print " + go + " 4", kept);
    EXPECT_TRUE(Support::waitUntil(
        [&] { return Support::readBytes(kept.output) == "avant l'attente\r\n"; }, 10000));
    EXPECT_TRUE(Win::runFileLocked(runFile));
    EXPECT_EQ(Support::readBytes(runFile), kRecord);
    EXPECT_EQ(WaitForSingleObject(static_cast<HANDLE>(m_keepers.back()), 0), DWORD(WAIT_TIMEOUT));

    SetEvent(event);
    EXPECT_EQ(keeperEnd(), 0);
    const std::wstring ended = Win::endedPath(runFile);
    const std::string recorded = Support::readBytes(ended);
    EXPECT_EQ(recorded.rfind(kRecord + "end ", 0), 0u) << recorded;
    EXPECT_TRUE(contains(recorded, "\nresult exited 4\n")) << recorded;
    EXPECT_EQ(GetFileAttributesW(runFile.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(Win::runFileLocked(ended));
    CloseHandle(event);
}

// The first bytes are kept and the rest counted in the note after them; a
// run that writes nothing leaves no file.
TEST_F(KeptRun, KeepsTheFirstBytesAndNotesTheRest)
{
    Win::KeptLimits cut = limits();
    cut.kept = 1000;
    cut.noteBefore = "\r\n[\"sortie\" coup\xe9"
                     "e \\";
    cut.noteAfter = "";
    const std::wstring runFile = start("bytes 5000", cut);
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_EQ(Support::readBytes(cut.output), std::string(1000, 'x') + cut.noteBefore + "4000");
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(runFile)), "\nresult exited 0\n"));

    const Win::KeptLimits silent = limits(L"43.txt");
    const std::wstring silentRun = start("exit 7", silent, L"43");
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(silentRun)), "\nresult exited 7\n"));
    EXPECT_EQ(GetFileAttributesW(silent.output.c_str()), INVALID_FILE_ATTRIBUTES);
}

// At the limit the program and what it started are ended together.
TEST_F(KeptRun, TheLimitEndsTheProgramWithItsGrandchild)
{
    const std::string parent = tag("limit");
    HANDLE adopted = CreateEventA(nullptr, TRUE, TRUE, (parent + "-adopted").c_str());
    Win::KeptLimits limited = limits();
    limited.stopAfterMs = 1500;
    const std::wstring idFile = m_runs + L"grandchild.txt";
    const std::wstring runFile =
        start("parent " + parent + " \"" + Support::toAnsi(idFile) + "\"", limited);
    HANDLE grandchild = static_cast<HANDLE>(Support::openProcessNamedIn(idFile, 20000));
    ASSERT_NE(grandchild, nullptr);
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_EQ(WaitForSingleObject(grandchild, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(runFile)), "\nresult stopped 1500\n"));
    CloseHandle(grandchild);
    CloseHandle(adopted);
}

// A program that writes without pause is stopped at the limit all the same,
// what it wrote past the kept bytes counted.
TEST_F(KeptRun, TheLimitEndsAProgramThatWritesWithoutPause)
{
    Win::KeptLimits limited = limits();
    limited.kept = 1000;
    limited.noteBefore = "\r\n[";
    limited.noteAfter = " octets]\r\n";
    limited.stopAfterMs = 1500;
    const std::wstring runFile = start("bytes 0", limited);
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(runFile)), "\nresult stopped 1500\n"));
    const std::string output = Support::readBytes(limited.output);
    ASSERT_GT(output.size(), 1000u + limited.noteBefore.size() + limited.noteAfter.size());
    EXPECT_EQ(output.substr(0, 1003), std::string(1000, 'x') + limited.noteBefore);
    const std::string count = output.substr(1003, output.size() - 1003 - limited.noteAfter.size());
    EXPECT_EQ(count.find_first_not_of("0123456789"), std::string::npos) << count;
    EXPECT_GT(std::stoll(count), 0);
    EXPECT_EQ(output.substr(output.size() - limited.noteAfter.size()), limited.noteAfter);
}

// A program that ends at once ends its run, but what it left behind is
// ended at the limit when there is one, and left alone when there is none.
TEST_F(KeptRun, WhatTheProgramLeavesIsEndedAtTheLimitOnly)
{
    const std::string limitedTag = tag("left-limited");
    const std::string freeTag = tag("left-free");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, (freeTag + "-never").c_str());

    const std::wstring freeId = m_runs + L"free.txt";
    const std::wstring freeRun =
        start("leave " + freeTag + " \"" + Support::toAnsi(freeId) + "\"", limits(), L"free");
    HANDLE leftAlone = static_cast<HANDLE>(Support::openProcessNamedIn(freeId, 20000));
    ASSERT_NE(leftAlone, nullptr);
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(freeRun)), "\nresult exited 0\n"));
    EXPECT_EQ(WaitForSingleObject(leftAlone, 0), DWORD(WAIT_TIMEOUT));

    Win::KeptLimits limited = limits();
    limited.stopAfterMs = 4000;
    const std::wstring limitedId = m_runs + L"limited.txt";
    const std::wstring limitedRun =
        start("leave " + limitedTag + " \"" + Support::toAnsi(limitedId) + "\"", limited);
    HANDLE leftOver = static_cast<HANDLE>(Support::openProcessNamedIn(limitedId, 20000));
    ASSERT_NE(leftOver, nullptr);
    // The run's end is its program's: told before the limit, which then
    // ends what was left.
    EXPECT_TRUE(Support::waitUntil(
        [&] {
            return contains(Support::readBytes(Win::endedPath(limitedRun)), "\nresult exited 0\n");
        },
        20000));
    EXPECT_EQ(WaitForSingleObject(leftOver, 30000), WAIT_OBJECT_0);
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_EQ(WaitForSingleObject(leftAlone, 0), DWORD(WAIT_TIMEOUT));

    SetEvent(release);
    EXPECT_EQ(WaitForSingleObject(leftAlone, 10000), WAIT_OBJECT_0);
    CloseHandle(leftAlone);
    CloseHandle(leftOver);
    CloseHandle(release);
}

// A stop request ends the run; once it has ended nobody listens.
TEST_F(KeptRun, AStopRequestEndsTheRun)
{
    const std::wstring runFile = start("await " + tag("stop") + " 0", limits());
    // The keeper listens once it holds the file and has started the program.
    EXPECT_TRUE(Support::waitUntil([&] { return Win::requestStop(runFile); }, 10000));
    EXPECT_EQ(keeperEnd(), 0);
    EXPECT_TRUE(contains(Support::readBytes(Win::endedPath(runFile)), "\nresult requested 0\n"));
    EXPECT_FALSE(Win::requestStop(runFile));
    EXPECT_FALSE(Win::requestStop(Win::endedPath(runFile)));
}

// A keeper that is killed leaves its run's file where it was, unlocked and
// without an end: that is how a lost keeper is known. Nobody listens to a
// stop request any more.
TEST_F(KeptRun, AKilledKeeperLeavesItsFileUnlockedWithoutAnEnd)
{
    const std::string go = tag("lost");
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, go.c_str());
    const Win::KeptLimits kept = limits();
    const std::wstring runFile = start("print " + go + " 0", kept);
    // Killed once the program runs, not while it waits to be let go.
    ASSERT_TRUE(
        Support::waitUntil([&] { return !Support::readBytes(kept.output).empty(); }, 10000));
    ASSERT_TRUE(Win::runFileLocked(runFile));
    ASSERT_TRUE(TerminateProcess(static_cast<HANDLE>(m_keepers.back()), 9));
    EXPECT_EQ(keeperEnd(), 9);
    EXPECT_FALSE(Win::runFileLocked(runFile));
    EXPECT_EQ(Support::readBytes(runFile), kRecord);
    EXPECT_EQ(GetFileAttributesW(Win::endedPath(runFile).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(Win::requestStop(runFile));
    SetEvent(release);
    CloseHandle(release);
}

// A program the system will not start is a run refused, with the system's
// reason; a run file that exists already is never made again.
TEST_F(KeptRun, RefusesAMissingProgramAndAnExistingRunFile)
{
    const std::wstring runFile = m_runs + L"42.run";
    void *keeper = nullptr;
    const Win::KeptLimits kept = limits();
    ASSERT_EQ(Win::startKept(Support::keeperPath(), Support::toAnsi(m_runs + L"absent.exe"), "",
                             kept, runFile, kRecord, &keeper),
              Win::KeptStart::Started);
    m_keepers.push_back(keeper);
    EXPECT_EQ(keeperEnd(), 1);
    const std::string recorded = Support::readBytes(Win::endedPath(runFile));
    EXPECT_TRUE(
        contains(recorded, "\nresult refused " + std::to_string(ERROR_FILE_NOT_FOUND) + "\n"))
        << recorded;
    EXPECT_EQ(GetFileAttributesW(kept.output.c_str()), INVALID_FILE_ATTRIBUTES);

    Support::writeBytes(runFile, "id 7\n");
    EXPECT_EQ(Win::startKept(Support::keeperPath(), Support::toAnsi(Support::probePath()), "exit 0",
                             kept, runFile, kRecord, &keeper),
              Win::KeptStart::NoRunFile);
    EXPECT_EQ(keeper, nullptr);
    EXPECT_EQ(Support::readBytes(runFile), "id 7\n");
}
