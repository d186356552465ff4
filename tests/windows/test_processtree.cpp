#include "platform/win/winprocesstree.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

// A time limit ends the program and what it started after it was held.
TEST(ProcessTree, TerminateEndsTheProgramAndItsChildren)
{
    const std::wstring folder = Support::freshFolder();
    const std::string tag = "pendulix-tree-" + std::to_string(GetCurrentProcessId());
    const std::wstring childFile = folder + L"child.txt";
    void *parent = Support::startProbe(L"parent " + Support::fromAnsi(tag) + L" \"" + childFile + L"\"");
    ASSERT_NE(parent, nullptr);
    Win::ProcessTree tree(parent);
    ASSERT_TRUE(tree.holds());
    HANDLE adopted = CreateEventA(nullptr, TRUE, FALSE, (tag + "-adopted").c_str());
    ASSERT_NE(adopted, nullptr);
    SetEvent(adopted);
    std::string id;
    for (int tries = 0; tries < 300 && id.empty(); ++tries) {
        Sleep(100);
        id = Support::readBytes(childFile);
    }
    ASSERT_FALSE(id.empty());
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, DWORD(std::stoul(id)));
    ASSERT_NE(child, nullptr);

    EXPECT_TRUE(tree.terminate(9));
    EXPECT_EQ(WaitForSingleObject(child, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(Support::waitForEnd(parent, 10000), 9);
    CloseHandle(child);
    CloseHandle(adopted);
}
