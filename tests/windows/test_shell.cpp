#include "platform/win/winshell.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

// A document no program is associated with: both calls report it, neither
// shows a dialog that would hold the window thread.
TEST(ShellOpen, MissingAssociationIsReportedNotAsked)
{
    const std::wstring document = Support::freshFolder() + L"rapport.pendulixnone";
    Support::writeBytes(document, "x");
    const Win::ShellStart start = Win::shellOpen(Support::toAnsi(document), "", true);
    EXPECT_FALSE(start.started);
    EXPECT_EQ(start.process, nullptr);
    EXPECT_FALSE(Win::shellOpen(Support::toAnsi(document), "", false).started);
    EXPECT_FALSE(Win::shellExecuteOpen(document));
}

TEST(ShellOpen, MissingFileIsRefused)
{
    const std::wstring missing = Support::freshFolder() + L"absent.exe";
    EXPECT_FALSE(Win::shellOpen(Support::toAnsi(missing), "", true).started);
    EXPECT_FALSE(Win::shellExecuteOpen(missing));
}

// A program started with its parameters, whose end and code come back.
TEST(ShellOpen, ProgramStartsWithItsParameters)
{
    const Win::ShellStart start = Win::shellOpen(Support::toAnsi(Support::probePath()), "exit 5", true);
    ASSERT_TRUE(start.started);
    ASSERT_NE(start.process, nullptr);
    ASSERT_EQ(WaitForSingleObject(static_cast<HANDLE>(start.process), 30000), WAIT_OBJECT_0);
    EXPECT_EQ(Win::endedProcessCode(start.process), 5u);
}
