// Win32 events: automatic and manual reset, time-outs, cross-thread signalling,
// and handles that are no longer (or never were) valid.
#include <gtest/gtest.h>

#include <thread>

#include "win32/windows.h"

namespace {

TEST(Win32Events, AutomaticEventLetsOneWaitThroughAndManualEventStaysSet) {
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(automatic, nullptr);
    ASSERT_NE(manual, nullptr);

    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);  // created signalled
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);   // and reset by that wait
    // Several sets before a wait count as one.
    EXPECT_TRUE(SetEvent(automatic));
    EXPECT_TRUE(SetEvent(automatic));
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);

    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_TRUE(SetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    EXPECT_TRUE(CloseHandle(automatic));
    EXPECT_TRUE(CloseHandle(manual));
}

TEST(Win32Events, TimedWaitEndsAfterItsTimeOrWhenAnotherThreadSets) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DWORD start = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(event, 50), WAIT_TIMEOUT);
    DWORD waited = timeGetTime() - start;
    EXPECT_GE(waited, 49u);
    EXPECT_LT(waited, 1000u);

    std::thread setter([event] {
        Sleep(20);
        SetEvent(event);
    });
    start = timeGetTime();
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    EXPECT_LT(timeGetTime() - start, 1000u);
    setter.join();
    CloseHandle(event);
}

TEST(Win32Events, ClosedOrForeignHandlesFailInsteadOfBeingFollowed) {
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(CloseHandle(event));
    EXPECT_FALSE(SetEvent(event));
    EXPECT_FALSE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(CloseHandle(event));

    int notAHandle = 0;
    EXPECT_EQ(WaitForSingleObject(&notAHandle, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(nullptr));

    // An event handle is not a mutex, and a mutex is not an event.
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    EXPECT_FALSE(SetEvent(mutex));
    HANDLE other = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    EXPECT_FALSE(ReleaseMutex(other));
    CloseHandle(mutex);
    CloseHandle(other);
}

}  // namespace
