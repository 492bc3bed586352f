#include "platform/win/CriticalSection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace platform::win;

namespace {

TEST(CriticalSection, OwnerEntersAgainOthersWait)
{
    CriticalSection section;
    section.lock();
    section.lock();
    EXPECT_TRUE(section.try_lock());
    auto otherCanEnter = [&] {
        bool entered = false;
        std::thread([&] {
            entered = section.try_lock();
            if (entered) {
                section.unlock();
            }
        }).join();
        return entered;
    };
    EXPECT_FALSE(otherCanEnter());
    section.unlock();
    section.unlock();
    EXPECT_FALSE(otherCanEnter()); // entered three times, left twice
    section.unlock();
    EXPECT_TRUE(otherCanEnter());
}

TEST(CriticalSection, LeaveByAThreadThatDoesNotHoldItChangesNothing)
{
    CRITICAL_SECTION section;
    ASSERT_TRUE(InitializeCriticalSection(&section));
    EnterCriticalSection(&section);
    bool enteredElsewhere = true;
    std::thread([&] {
        LeaveCriticalSection(&section);
        enteredElsewhere = TryEnterCriticalSection(&section);
    }).join();
    EXPECT_FALSE(enteredElsewhere);
    LeaveCriticalSection(&section);
    DeleteCriticalSection(&section);
    // Null or deleted sections are refused instead of crashing.
    EnterCriticalSection(&section);
    EXPECT_FALSE(TryEnterCriticalSection(&section));
    LeaveCriticalSection(nullptr);
    EXPECT_FALSE(InitializeCriticalSection(nullptr));
}

TEST(CriticalSection, GuardsSharedDataAcrossThreads)
{
    CriticalSection section;
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                std::scoped_lock outer(section);
                std::scoped_lock inner(section); // re-entry, as nested driver calls do
                ++counter;
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    EXPECT_EQ(counter, 80000);
}

} // namespace
