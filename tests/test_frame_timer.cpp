// The frame pacer against a clock that moves only when the test or Sleep moves it.
#include <gtest/gtest.h>

#include <vector>

#include "shell/frame_timer.h"
#include "win32/test_hooks.h"

namespace {

// Runs one frame that takes `work` ms and returns how long the pacer slept.
DWORD Frame(DWORD work) {
    DWORD sleptBefore = NolFakeClockSlept();
    NolAdvanceFakeClock(work);
    WaitFrame();
    return NolFakeClockSlept() - sleptBefore;
}

class FrameTimerTest : public ::testing::Test {
protected:
    void Start(DWORD at = 1000) {
        NolUseFakeClock(true, at);
        InitFrameTimer();
    }
    void TearDown() override { NolUseFakeClock(false); }
};

TEST_F(FrameTimerTest, FramesLast33And33And34AndHoldTheLongRunRate) {
    Start();
    std::vector<DWORD> slept;
    for (int i = 0; i < 6; ++i) slept.push_back(Frame(0));
    EXPECT_EQ(slept, (std::vector<DWORD>{33, 33, 34, 33, 33, 34}));

    // Work inside the frame is absorbed: the schedule, not the sleep, sets the pace.
    for (int i = 0; i < 294; ++i) Frame(i % 7);
    EXPECT_EQ(timeGetTime() - 1000, 10000u);  // 300 frames in exactly 10 s
    EXPECT_EQ(frameTimer.frameStart, timeGetTime());
}

TEST_F(FrameTimerTest, AFiftyMillisecondFrameAdvancesTheScheduleByOneSlot) {
    Start(0);
    EXPECT_EQ(Frame(50), 0u);          // late by 50 of 33: no sleep
    EXPECT_EQ(frameTimer.frameStart, 33u);
    EXPECT_EQ(Frame(0), 16u);          // its slot began 17 ms before it did
    EXPECT_EQ(timeGetTime(), 66u);
    EXPECT_EQ(Frame(0), 34u);          // back on the grid
    EXPECT_EQ(timeGetTime(), 100u);
}

TEST_F(FrameTimerTest, AStallOfFourFramesDropsTheBacklog) {
    Start(0);
    EXPECT_EQ(Frame(140), 0u);  // meets the stall
    EXPECT_EQ(frameTimer.frameStart, 140u - 33u);
    EXPECT_EQ(Frame(0), 0u);    // the one after it does not sleep either
    EXPECT_EQ(Frame(0), 34u);   // then normal pacing, no catch-up burst
    EXPECT_EQ(Frame(0), 33u);

    // Just under four frame lengths keeps the grid and catches up instead.
    Start(0);
    EXPECT_EQ(Frame(131), 0u);
    EXPECT_EQ(frameTimer.frameStart, 33u);
    EXPECT_EQ(Frame(0), 0u);
    EXPECT_EQ(Frame(0), 0u);
    EXPECT_EQ(Frame(0), 2u);  // 131 was 2 ms short of the fourth slot's start (133)
}

// Four whole frame lengths behind is already too far: the schedule restarts from
// the present instead of keeping its grid. 4 x 33 = 132 for a short slot, 4 x 34 =
// 136 for the long third one.
TEST_F(FrameTimerTest, ExactlyFourFramesLateDropsTheBacklog) {
    Start(0);
    EXPECT_EQ(Frame(132), 0u);
    EXPECT_EQ(frameTimer.frameStart, 132u - 33u);
    EXPECT_EQ(Frame(0), 0u);   // its slot began 33 ms ago: due at once
    EXPECT_EQ(Frame(0), 34u);  // and then paced from the new start
    EXPECT_EQ(timeGetTime(), 132u + 34u);

    Start(0);
    Frame(0);
    Frame(0);  // the next slot is the long one, starting at 66
    EXPECT_EQ(Frame(136), 0u);
    EXPECT_EQ(frameTimer.frameStart, 66u + 136u - 34u);
    Start(0);
    Frame(0);
    Frame(0);
    EXPECT_EQ(Frame(135), 0u);  // one short of four long slots: the grid holds
    EXPECT_EQ(frameTimer.frameStart, 66u + 34u);
}

TEST_F(FrameTimerTest, ResynchronisesAfterALongInactivePause) {
    Start(0);
    Frame(0);
    Frame(0);
    NolAdvanceFakeClock(60000);  // the window was inactive for a minute
    EXPECT_EQ(Frame(0), 0u);     // a 34 ms slot: the schedule restarts 34 ms back
    EXPECT_EQ(frameTimer.frameStart, timeGetTime() - 34);
    EXPECT_EQ(Frame(0), 0u);     // 34 late for a 33 ms slot
    EXPECT_EQ(Frame(0), 32u);    // 1 ms into its slot
    EXPECT_EQ(Frame(0), 34u);
}

TEST_F(FrameTimerTest, MeasuresFpsEveryFifteenFrames) {
    Start();
    EXPECT_FLOAT_EQ(fps, 30.0f);
    for (int i = 0; i < 14; ++i) Frame(0);
    EXPECT_FLOAT_EQ(fps, 30.0f);  // not measured yet
    Frame(0);                     // measured at the 15th frame's end, before its sleep:
    EXPECT_FLOAT_EQ(fps, 15000.0f / 466.0f);  // 14 slots have passed
    for (int i = 0; i < 15; ++i) Frame(0);
    EXPECT_FLOAT_EQ(fps, 30.0f);  // a span of 15 paced frames is 500 ms

    // Fifteen overlong frames of 60 ms each after the measuring frame's 34 ms sleep.
    for (int i = 0; i < 15; ++i) Frame(60);
    EXPECT_FLOAT_EQ(fps, 15000.0f / (34.0f + 900.0f));
}

TEST_F(FrameTimerTest, SurvivesTheClockWrappingAround) {
    Start(0xFFFFFFFFu - 40);
    std::vector<DWORD> slept;
    for (int i = 0; i < 6; ++i) slept.push_back(Frame(0));
    EXPECT_EQ(slept, (std::vector<DWORD>{33, 33, 34, 33, 33, 34}));
    EXPECT_EQ(timeGetTime(), (DWORD)(0xFFFFFFFFu - 40 + 200));
}

}  // namespace
