#include "platform/win/winchildren.h"
#include "support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

// The ends a watch reported, by key, and a wait for a number of them.
class Ends
{
public:
    Win::ChildEnds::Ended recorder()
    {
        return [this](std::uint64_t key, unsigned long code) {
            std::lock_guard guard(m_lock);
            m_codes[key].push_back(code);
            m_changed.notify_all();
        };
    }

    bool awaitCount(std::size_t count, std::chrono::seconds bound)
    {
        std::unique_lock guard(m_lock);
        return m_changed.wait_for(guard, bound, [&] { return m_codes.size() >= count; });
    }

    std::map<std::uint64_t, std::vector<unsigned long>> codes()
    {
        std::lock_guard guard(m_lock);
        return m_codes;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::map<std::uint64_t, std::vector<unsigned long>> m_codes;
};

} // namespace

// More children running at once than one wait can hold (64): each end comes
// once, with its own code, from the one job.
TEST(ChildEnds, ManyRunningAtOnceEachEndOnce)
{
    constexpr int kChildren = 80;
    const std::string tag = "pendulix-children-" + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, tag.c_str());
    ASSERT_NE(go, nullptr);
    Ends ends;
    Win::ChildEnds watch(ends.recorder());
    for (int i = 0; i < kChildren; ++i) {
        void *child = Support::startProbe(L"await " + Support::fromAnsi(tag) + L" " +
                                          std::to_wstring(10 + i));
        // Seen once under Wine on a loaded machine: the system's reason says which limit.
        ASSERT_NE(child, nullptr) << "probe " << i << " not started, error " << GetLastError();
        ASSERT_TRUE(watch.watch(child, std::uint64_t(1000 + i)));
    }
    EXPECT_EQ(watch.running(), std::size_t(kChildren));
    EXPECT_TRUE(ends.codes().empty());
    SetEvent(go);
    ASSERT_TRUE(ends.awaitCount(kChildren, std::chrono::seconds(120)));
    CloseHandle(go);
    const auto codes = ends.codes();
    for (int i = 0; i < kChildren; ++i) {
        const auto found = codes.find(std::uint64_t(1000 + i));
        ASSERT_NE(found, codes.end()) << i;
        EXPECT_EQ(found->second, std::vector<unsigned long>{unsigned(10 + i)}) << i;
    }
    EXPECT_EQ(codes.size(), std::size_t(kChildren));
    EXPECT_EQ(watch.running(), 0u);
}

// A child that ended before it was watched sends the job nothing: its end
// is still told, once.
TEST(ChildEnds, ChildEndedBeforeTheWatch)
{
    Ends ends;
    Win::ChildEnds watch(ends.recorder());
    void *child = Support::startProbe(L"exit 3");
    ASSERT_NE(child, nullptr);
    ASSERT_EQ(WaitForSingleObject(static_cast<HANDLE>(child), 30000), WAIT_OBJECT_0);
    ASSERT_TRUE(watch.watch(child, 42));
    ASSERT_TRUE(ends.awaitCount(1, std::chrono::seconds(30)));
    // Time for a late message from the job to be wrongly told a second time.
    Sleep(500);
    EXPECT_EQ(ends.codes(), (std::map<std::uint64_t, std::vector<unsigned long>>{{42, {3}}}));
}
