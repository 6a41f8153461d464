// The graph's events: made on GStreamer's threads, announced to the main window
// as WM_APP + 1 through its message queue, taken on the main thread, and never a
// wait for a caller that asks with a time-out of 0.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

#include "dshow/dshow_test_hooks.h"
#include "media_fixture.h"

namespace {

using DShowEvents = MediaWindow;

// GetMessageA waits in the message pump; a post from another thread wakes it, and
// the message arrives on the main thread, in the order posted.
TEST_F(DShowEvents, APostFromAnotherThreadWakesTheWaitingMessageLoop) {
    std::thread poster([] {
        usleep(100 * 1000);
        PostMessageA(mainWindow, WM_APP + 7, 1, 0);
        PostMessageA(mainWindow, WM_APP + 7, 2, 0);
    });
    const double before = NowMs();
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, mainWindow, WM_APP + 7, WM_APP + 7));
    EXPECT_EQ(msg.wParam, 1u);
    ASSERT_TRUE(GetMessageA(&msg, mainWindow, WM_APP + 7, WM_APP + 7));
    EXPECT_EQ(msg.wParam, 2u);
    EXPECT_LT(NowMs() - before, 1000) << "the waiting loop was not woken";
    poster.join();
}

// The end of the file comes as the notification message, with the instance
// value given, to a main thread that only waits for messages.
TEST_F(DShowEvents, TheEndOfTheFileArrivesAsTheNotificationMessage) {
    WCHAR name[MAX_PATH];
    ASSERT_GT(MultiByteToWideChar(CP_UTF8, 0, DataFile("demo_tone.wav").c_str(), -1, name, MAX_PATH), 0);
    ASSERT_EQ(MediaState.graph->RenderFile(name, nullptr), S_OK);
    ASSERT_EQ(MediaState.events->SetNotifyWindow((OAHWND)mainWindow, WM_APP + 1, 77), S_OK);
    const double started = NowMs();
    ASSERT_TRUE(SUCCEEDED(MediaState.control->Run()));
    MSG msg{};
    ASSERT_TRUE(GetMessageA(&msg, mainWindow, WM_APP + 1, WM_APP + 1));
    const double arrived = NowMs() - started;
    EXPECT_EQ(msg.wParam, 0u);
    EXPECT_EQ(msg.lParam, 77);
    EXPECT_GT(arrived, 1900);  // the tone is two seconds long
    EXPECT_LT(arrived, 2000 + ScaledMs(300));
    LONG code = 0;
    LONG_PTR p1 = -1, p2 = -1;
    ASSERT_EQ(MediaState.events->GetEvent(&code, &p1, &p2, 0), S_OK);
    EXPECT_EQ(code, EC_COMPLETE);
    EXPECT_EQ(p1, S_OK);
    EXPECT_EQ(MediaState.events->FreeEventParams(code, p1, p2), S_OK);
    EXPECT_EQ(MediaState.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
}

// Asking with a time-out of 0 answers at once, event or not, while GStreamer's
// threads are busy playing; a time-out waits about that long.
TEST_F(DShowEvents, GetEventWithATimeOutOfZeroNeverWaits) {
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.webm").c_str()), 1);
    LONG code;
    LONG_PTR p1, p2;
    // A call that waited gives up the processor by itself (a voluntary switch) and
    // takes long; one the scheduler merely preempted on a busy machine only takes long.
    auto voluntarySwitches = [] {
        rusage usage{};
        getrusage(RUSAGE_THREAD, &usage);
        return usage.ru_nvcsw;
    };
    int waited = 0;
    for (int i = 0; i < 200; ++i) {
        const long switches = voluntarySwitches();
        const double before = NowMs();
        EXPECT_EQ(MediaState.events->GetEvent(&code, &p1, &p2, 0), E_ABORT);
        if (NowMs() - before >= 20.0 && voluntarySwitches() != switches) ++waited;
    }
    EXPECT_EQ(waited, 0);
    const double before = NowMs();
    EXPECT_EQ(MediaState.events->GetEvent(&code, &p1, &p2, 150), E_ABORT);
    EXPECT_GE(NowMs() - before, 140);
    EXPECT_EQ(MediaState.events->GetEvent(nullptr, &p1, &p2, 0), E_POINTER);
}

// Without a graph the window's forwarding does nothing: the notification message,
// moves and size changes, stopping; playing says it cannot.
TEST_F(DShowEvents, WithoutAGraphTheWindowsForwardingDoesNothing) {
    FreeDirectShow();
    ASSERT_EQ(MediaState.graph, nullptr);
    EXPECT_EQ(SendMessageA(mainWindow, WM_APP + 1, 0, 0), 0);
    PostMessageA(mainWindow, WM_APP + 1, 0, 0);
    Frame();
    SetWindowPos(mainWindow, nullptr, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetWindowPos(mainWindow, nullptr, 0, 0, 700, 560, SWP_NOMOVE | SWP_NOZORDER);
    Frame();
    StopMedia();
    StopMedia();
    EXPECT_EQ(IsMediaPlaying(), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "play(" + DataFile("demo_clip.ogv") + ") ... can't render.\n");
    EXPECT_TRUE(MappedChildren().empty());
}

// Stopping twice is stopping once; a stopped graph plays again, from the start.
TEST_F(DShowEvents, StoppingTwiceThenPlayingAgain) {
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    FramesUntil([] { return false; }, 500);
    StopMedia();
    StopMedia();
    EXPECT_EQ(IsMediaPlaying(), 0);
    EXPECT_EQ(MediaState.videoWindow, nullptr);
    EXPECT_TRUE(MappedChildren().empty());
    const double started = NowMs();
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    EXPECT_TRUE(FramesUntil([&] { return ShowsBars(Grab(), RECT{0, 0, 640, 480}); }, ScaledMs(3000)));
    ASSERT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(8000)));
    EXPECT_GT(NowMs() - started, kClipSeconds * 1000 - 100) << "the second play did not start from the beginning";
}

// A second file while one plays replaces it: one video window, the new file's end
// ending playback.
TEST_F(DShowEvents, ASecondPlayReplacesTheFirst) {
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    FramesUntil([] { return false; }, 300);
    const double second = NowMs();
    ASSERT_EQ(PlayMedia(DataFile("demo_tone.wav").c_str()), 1);
    Frame();
    EXPECT_TRUE(MappedChildren().empty()) << "the first file's video stayed";
    ASSERT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(8000)));
    const double ended = NowMs() - second;
    EXPECT_GT(ended, 1900);
    EXPECT_LT(ended, 2000 + ScaledMs(300));
}

// The video window destroyed from outside (as when another X client closes it)
// while the clip plays: the graph says so with EC_USERABORT, playback stops, and
// nothing of Xlib's ends the program. The next file gets a new window.
TEST_F(DShowEvents, TheVideoWindowClosedFromOutsideAbortsPlayback) {
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(x, window, &root, &parent, &children, &count));
    ASSERT_EQ(count, 1u);
    const Window video = children[0];
    XFree(children);
    testing::internal::CaptureStderr();
    XDestroyWindow(x, video);
    XSync(x, False);
    EXPECT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(2000)));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("DirectShow: playback stopped: the video window was closed\n"), std::string::npos) << log;

    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    EXPECT_TRUE(FramesUntil([&] { return ShowsBars(Grab(), RECT{0, 0, 640, 480}); }, ScaledMs(3000)));
}

// An error while playing (here the sound's file cannot be written: the disk is
// full) stops playback with its reason in the log.
TEST_F(DShowEvents, AnErrorWhilePlayingAbortsPlaybackWithItsReason) {
    FreeDirectShow();
    NolDShowCaptureAudio("/dev/full");
    ASSERT_EQ(InitDirectShow(), 1);
    NolDShowCaptureAudio(nullptr);
    ASSERT_EQ(PlayMedia(DataFile("demo_clip.ogv").c_str()), 1);
    testing::internal::CaptureStderr();
    EXPECT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(2000)));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("DirectShow: playback stopped: "), std::string::npos) << log;
    EXPECT_TRUE(MappedChildren().empty());
}

}  // namespace
