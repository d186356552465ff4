#include "platform/win/winshell.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>

namespace {

// Runs `call` on a thread of its own: a dialog would hold it, and the test
// fails instead of hanging.
bool endsWithin(std::function<void()> call, std::chrono::seconds bound)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> ended = done->get_future();
    std::thread([call, done] {
        call();
        done->set_value();
    }).detach();
    return ended.wait_for(bound) == std::future_status::ready;
}

} // namespace

// A document no program is associated with: the launcher's calls report it
// and ask nothing, which would hold the window thread.
TEST(ShellOpen, MissingAssociationIsReportedNotAsked)
{
    const std::wstring document = Support::freshFolder() + L"rapport.pendulixnone";
    Support::writeBytes(document, "x");
    Win::ShellStart owned{true, nullptr};
    Win::ShellStart unowned{true, nullptr};
    bool help = true;
    ASSERT_TRUE(endsWithin(
        [&] {
            owned = Win::shellOpen(Support::toAnsi(document), "", true);
            unowned = Win::shellOpen(Support::toAnsi(document), "", false);
            help = Win::shellExecuteOpen(document);
        },
        std::chrono::seconds(60)));
    EXPECT_FALSE(owned.started);
    EXPECT_EQ(owned.process, nullptr);
    EXPECT_FALSE(unowned.started);
    EXPECT_FALSE(help);
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
