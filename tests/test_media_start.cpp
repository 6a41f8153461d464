// The media functions against a graph of the test's own: the start and its error
// boxes, each step of a play and the line it ends with, the event loop, and the
// video window's placing.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "com/class_registry.h"
#include "error_boxes.h"
#include "shell/window.h"
#include "sound/media.h"
#include "win32/test_hooks.h"

namespace {

struct VideoCall {
    std::string what;
    LONG_PTR a = 0, b = 0, c = 0, d = 0;
};

// A graph that records what it is asked and fails where told to.
class FakeGraph : public IGraphBuilder, public IMediaControl, public IMediaEventEx, public IVideoWindow {
public:
    static FakeGraph* last;
    FakeGraph() { last = this; }

    // What the graph lacks or refuses.
    bool noControl = false, noEvents = false, noVideo = false;
    HRESULT renderResult = S_OK, notifyResult = S_OK, runResult = S_OK;
    std::deque<LONG> events;  // waiting
    int stops = 0, runs = 0, freedParams = 0;
    std::vector<VideoCall> videoCalls;
    HWND notifyWindow = nullptr;
    LONG notifyMessage = 0;
    ULONG refs = 1;

    HRESULT QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IGraphBuilder) *out = static_cast<IGraphBuilder*>(this);
        if (iid == IID_IMediaControl && !noControl) *out = static_cast<IMediaControl*>(this);
        if (iid == IID_IMediaEventEx && !noEvents) *out = static_cast<IMediaEventEx*>(this);
        if (iid == IID_IVideoWindow && !noVideo) *out = static_cast<IVideoWindow*>(this);
        if (!*out) return E_NOINTERFACE;
        ++refs;
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override { return --refs; }  // lives in the test

    HRESULT RenderFile(LPCWSTR, LPCWSTR) override { return renderResult; }
    HRESULT Run() override {
        ++runs;
        return runResult;
    }
    HRESULT Pause() override { return S_OK; }
    HRESULT Stop() override {
        ++stops;
        return S_OK;
    }
    HRESULT GetState(LONG, OAFilterState*) override { return E_NOTIMPL; }
    HRESULT GetEvent(LONG* code, LONG_PTR* p1, LONG_PTR* p2, LONG timeout) override {
        EXPECT_EQ(timeout, 0);
        if (events.empty()) return E_ABORT;
        *code = events.front();
        *p1 = *p2 = 0;
        events.pop_front();
        return S_OK;
    }
    HRESULT FreeEventParams(LONG, LONG_PTR, LONG_PTR) override {
        ++freedParams;
        return S_OK;
    }
    HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR) override {
        notifyWindow = reinterpret_cast<HWND>(window);
        notifyMessage = message;
        return notifyResult;
    }
    HRESULT put_Owner(OAHWND owner) override { return Record("owner", owner); }
    HRESULT put_WindowStyle(LONG style) override { return Record("style", style); }
    HRESULT SetWindowPosition(LONG l, LONG t, LONG w, LONG h) override { return Record("position", l, t, w, h); }
    HRESULT GetWindowPosition(LONG*, LONG*, LONG*, LONG*) override { return E_NOTIMPL; }
    HRESULT put_Visible(LONG) override { return E_NOTIMPL; }
    HRESULT get_Visible(LONG*) override { return E_NOTIMPL; }

private:
    HRESULT Record(const char* what, LONG_PTR a, LONG_PTR b = 0, LONG_PTR c = 0, LONG_PTR d = 0) {
        videoCalls.push_back({what, a, b, c, d});
        return S_OK;
    }
};
FakeGraph* FakeGraph::last = nullptr;

// Set up by a test before InitDirectShow makes the graph.
std::function<void(FakeGraph&)> prepare;
FakeGraph* graph = nullptr;

HRESULT MakeFakeGraph(REFIID iid, void** object) {
    graph = new FakeGraph;
    if (prepare) prepare(*graph);
    return graph->QueryInterface(iid, object);
}

class MediaStart : public ::testing::Test {
protected:
    void SetUp() override {
        shownBoxes.clear();
        NolSetMessageBoxAnswerer(RecordBox);
        nol::com::ComOverrideClass(CLSID_FilterGraph, MakeFakeGraph);
        prepare = nullptr;
        mainWindow = reinterpret_cast<HWND>(0x1234);  // stands for the window; only passed on
        clientWidth = 800;
        clientHeight = 500;
    }
    void TearDown() override {
        FreeDirectShow();
        nol::com::ComOverrideClass(CLSID_FilterGraph, nullptr);
        NolSetMessageBoxAnswerer(nullptr);
        mainWindow = nullptr;
        delete graph;
        graph = nullptr;
    }
    static std::string LogOf(const std::function<void()>& f) {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }
};

TEST_F(MediaStart, StartAndEndLogTheirNamesAndHoldEveryInterfaceBetween) {
    std::string log = LogOf([] { EXPECT_EQ(InitDirectShow(), 1); });
    EXPECT_EQ(log, "----------------------------------------\nInitDirectShow\n");
    EXPECT_NE(MediaState.graph, nullptr);
    EXPECT_NE(MediaState.control, nullptr);
    EXPECT_NE(MediaState.events, nullptr);
    EXPECT_TRUE(shownBoxes.empty());
    // Started again: the same graph, not a second one.
    IGraphBuilder* first = MediaState.graph;
    EXPECT_EQ(InitDirectShow(), 1);
    EXPECT_EQ(MediaState.graph, first);

    log = LogOf(FreeDirectShow);
    EXPECT_EQ(log, "----------------------------------------\nFreeDirectShow\n");
    EXPECT_EQ(MediaState.graph, nullptr);
    EXPECT_EQ(MediaState.control, nullptr);
    EXPECT_EQ(MediaState.events, nullptr);
    EXPECT_EQ(graph->refs, 1u) << "a reference was kept";
    FreeDirectShow();  // twice is harmless
}

TEST_F(MediaStart, EachFailedStepShowsItsBox) {
    nol::com::ComOverrideClass(CLSID_FilterGraph, nol::com::ComFailingFactory);
    EXPECT_EQ(InitDirectShow(), 0);
    nol::com::ComOverrideClass(CLSID_FilterGraph, MakeFakeGraph);
    FreeDirectShow();
    prepare = [](FakeGraph& g) { g.noControl = true; };
    EXPECT_EQ(InitDirectShow(), 0);
    FreeDirectShow();
    delete graph;
    prepare = [](FakeGraph& g) { g.noEvents = true; };
    EXPECT_EQ(InitDirectShow(), 0);
    EXPECT_EQ(shownBoxes, (std::vector<std::string>{"グラフィックフィルタが初期化できません.",
                                                    "メディアコントロールが初期化できません.",
                                                    "メディアイベントが初期化できません."}));
}

// Every step of a play that fails ends the "play(...) ... " line with its own
// words and leaves nothing playing.
TEST_F(MediaStart, EachFailedStepOfAPlayEndsTheLineWithItsWords) {
    const struct {
        std::function<void(FakeGraph&)> fail;
        const char* ending;
    } kSteps[] = {
        {[](FakeGraph& g) { g.renderResult = VFW_E_UNSUPPORTED_STREAM; }, "can't render.\n"},
        {[](FakeGraph& g) { g.noVideo = true; }, "can't query interface.\n"},
        {[](FakeGraph& g) { g.notifyResult = E_FAIL; }, "can't set notify window.\n"},
        {[](FakeGraph& g) { g.runResult = E_FAIL; }, "can't run media control.\n"},
        {[](FakeGraph&) {}, "ok.\n"},
    };
    for (const auto& step : kSteps) {
        SCOPED_TRACE(step.ending);
        prepare = step.fail;
        ASSERT_EQ(InitDirectShow(), 1);
        int played = -1;
        const std::string log = LogOf([&] { played = PlayMedia("movie.avi"); });
        EXPECT_EQ(log, std::string("play(movie.avi) ... ") + step.ending);
        EXPECT_EQ(played, std::string(step.ending) == "ok.\n" ? 1 : 0);
        EXPECT_EQ(IsMediaPlaying(), played);
        FreeDirectShow();
        delete graph;
        graph = nullptr;
    }
}

// The video goes to the main window, as its child, over the whole client area;
// the graph is told to post WM_APP + 1 to the main window.
TEST_F(MediaStart, ThePlayPutsTheVideoOverTheClientAreaAndAsksForTheNotification) {
    ASSERT_EQ(InitDirectShow(), 1);
    ASSERT_EQ(PlayMedia("movie.avi"), 1);
    EXPECT_EQ(graph->notifyWindow, mainWindow);
    EXPECT_EQ(graph->notifyMessage, 0x8001);
    ASSERT_EQ(graph->videoCalls.size(), 3u);
    EXPECT_EQ(graph->videoCalls[0].what, "owner");
    EXPECT_EQ(graph->videoCalls[0].a, (LONG_PTR)mainWindow);
    EXPECT_EQ(graph->videoCalls[1].what, "style");
    EXPECT_EQ(graph->videoCalls[1].a, 0x44000000);
    EXPECT_EQ(graph->videoCalls[2].what, "position");
    EXPECT_EQ(graph->videoCalls[2].c, 800);
    EXPECT_EQ(graph->videoCalls[2].d, 500);
    clientWidth = 1024;
    UpdateVideoWindow();
    EXPECT_EQ(graph->videoCalls.back().c, 1024);
}

// The event loop takes every waiting event, freeing each, and stops playback at
// the end of the file or an abort; events of other kinds are dropped.
TEST_F(MediaStart, TheEventLoopStopsAtTheEndOrAnAbortAndDropsTheRest) {
    const struct {
        std::deque<LONG> events;
        bool stops;
    } kCases[] = {
        {{0x0D, EC_COMPLETE}, true},
        {{EC_USERABORT}, true},
        {{EC_ERRORABORT, 0x0D}, true},
        {{0x0D, 0x0E}, false},
        {{}, false},
    };
    for (const auto& c : kCases) {
        ASSERT_EQ(InitDirectShow(), 1);
        ASSERT_EQ(PlayMedia("movie.avi"), 1);
        graph->events = c.events;
        const size_t waiting = c.events.size();
        OnMediaEvent();
        EXPECT_EQ(IsMediaPlaying(), c.stops ? 0 : 1);
        EXPECT_EQ(graph->stops, c.stops ? 1 : 0);
        EXPECT_EQ(graph->freedParams, int(waiting - graph->events.size()));
        EXPECT_EQ(MediaState.videoWindow == nullptr, c.stops);
        FreeDirectShow();
        delete graph;
        graph = nullptr;
    }
}

}  // namespace
