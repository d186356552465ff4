#include "platform/win/winoutput.h"
#include "platform/win/winprocesstree.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

std::string probe() { return Support::toAnsi(Support::probePath()); }

} // namespace

// Output and errors land after what the file held, in the order written;
// the program reads an empty input and ends as it would anywhere.
TEST(StartWithOutput, AppendsOutputAndErrorsInOrderWithEmptyInput)
{
    const std::wstring file = Support::freshFolder() + L"20261208-143000-1.txt";
    Support::writeBytes(file, "before\r\n");
    bool prepared = false;
    void *process = Win::startWithOutput(probe(), "write", file, [&](void *p) { prepared = p != nullptr; });
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(prepared);
    EXPECT_EQ(Support::waitForEnd(process, 30000), 0);
    EXPECT_EQ(Support::readBytes(file), "before\r\nout 1\r\nerr 1\r\nout 2\r\n");
}

// An inheritable handle of ours stays ours: here the write end of a pipe,
// which would stay open while the program runs if it had crossed over.
TEST(StartWithOutput, InheritsNoOtherHandle)
{
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    ASSERT_TRUE(CreatePipe(&reading, &writing, &inheritable, 0));
    const std::string tag = "pendulix-output-" + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, tag.c_str());
    void *process = Win::startWithOutput(probe(), "await " + tag + " 3", Support::freshFolder() + L"out.txt", {});
    ASSERT_NE(process, nullptr);
    CloseHandle(writing);
    DWORD available = 0;
    EXPECT_FALSE(PeekNamedPipe(reading, nullptr, 0, nullptr, &available, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_BROKEN_PIPE));
    SetEvent(go);
    EXPECT_EQ(Support::waitForEnd(process, 30000), 3);
    CloseHandle(go);
    CloseHandle(reading);
}

// A batch file runs through the interpreter with its parameters, its code
// being the program's.
TEST(StartWithOutput, RunsABatchFileWithItsParameters)
{
    const std::wstring folder = Support::freshFolder();
    const std::wstring script = folder + L"sauvegarde du soir.bat";
    Support::writeBytes(script, "@echo off\r\necho batch %1 %2\r\nexit /b 6\r\n");
    const std::wstring file = folder + L"out.txt";
    void *process = Win::startWithOutput(Support::toAnsi(script), "un deux", file, {});
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(Support::waitForEnd(process, 30000), 6);
    EXPECT_EQ(Support::readBytes(file), "batch un deux\r\n");
}

// What the system will not start is told, and a job of the caller's made
// before the first instruction holds the program.
TEST(StartWithOutput, RefusesAMissingProgramAndLetsTheCallerHoldAStartedOne)
{
    const std::wstring folder = Support::freshFolder();
    EXPECT_EQ(Win::startWithOutput(Support::toAnsi(folder + L"absent.exe"), "", folder + L"out.txt", {}),
              nullptr);

    const std::string tag = "pendulix-held-" + std::to_string(GetCurrentProcessId());
    std::unique_ptr<Win::ProcessTree> tree;
    void *process = Win::startWithOutput(probe(), "await " + tag + "-never 0", folder + L"held.txt",
                                         [&](void *p) { tree = std::make_unique<Win::ProcessTree>(p); });
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(tree && tree->holds());
    EXPECT_TRUE(tree->terminate(8));
    EXPECT_EQ(Support::waitForEnd(process, 10000), 8);
}

// While the program appends, what lies beyond the kept bytes gives its space
// back where the file system can: the file keeps its length and the kept
// bytes, zeros after them, and a later append lands at the end. Where it
// cannot (Wine has no FSCTL_SET_ZERO_DATA) it says so and changes nothing.
TEST(FreeOutputSpace, KeepsTheLengthAndTheKeptBytes)
{
    const std::wstring folder = Support::freshFolder();
    const std::wstring file = folder + L"out.txt";
    const std::string kept(100, 'k');
    const std::string beyond(200000, 'x');
    Support::writeBytes(file, kept + beyond);
    const long long freed = Win::freeOutputSpace(file, 100);
    EXPECT_TRUE(freed == 200100 || freed == -1) << freed;
    HANDLE appending = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(appending, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(appending, "end", 3, &written, nullptr));
    CloseHandle(appending);
    const std::string after = Support::readBytes(file);
    ASSERT_EQ(after.size(), 200103u);
    EXPECT_EQ(after.substr(0, 100), kept);
    EXPECT_EQ(after.substr(200100), "end");
    EXPECT_TRUE(after.substr(100, 200000) == (freed < 0 ? beyond : std::string(200000, '\0')));
    // No file at all is told.
    EXPECT_EQ(Win::freeOutputSpace(folder + L"absent.txt", 0), -1);
}
