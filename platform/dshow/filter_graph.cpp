#include "dshow/filter_graph.h"

#include <atomic>

#include "base/platform_log.h"
#include "dshow/dshowreason.h"
#include "dshow/gst_runtime.h"
#include "dshow/media_path.h"

namespace nol::dshow {
namespace {

thread_local std::string lastRenderError;
// Graphs alive; GStreamer's idle threads go with the last.
std::atomic<int> liveGraphs{0};

}  // namespace

HRESULT CreateFilterGraph(REFIID iid, void** object) {
    if (object) *object = nullptr;
    if (!StartGStreamer()) return E_FAIL;
    auto* graph = new FilterGraph;
    std::string reason;
    if (!graph->Start(&reason)) {
        NolLog("DirectShow: no filter graph: %s\n", reason.c_str());
        graph->Release();
        return E_FAIL;
    }
    return com::HandOut(graph, iid, object);
}

FilterGraph::FilterGraph() : video_(VideoWindowClosed, this), pipeline_(events_) {
    if (liveGraphs++ == 0) KeepGStreamerThreads();
}

FilterGraph::~FilterGraph() {
    pipeline_.Close();
    if (--liveGraphs == 0) ReleaseGStreamerThreads();
}

bool FilterGraph::Start(std::string* reason) {
    const char* noWindow = nullptr;
    const unsigned long window = video_.Open(&noWindow) ? video_.Handle() : 0;
    if (!window) NolLog("DirectShow: %s: video is not shown, only the sound plays\n", noWindow);
    if (!pipeline_.Create(window, reason)) return false;
    if (!reason->empty()) NolLog("DirectShow: %s\n", reason->c_str());
    reason->clear();
    return true;
}

void* FilterGraph::Other(REFIID iid) {
    if (iid == IID_IMediaControl) return static_cast<IMediaControl*>(&control_);
    if (iid == IID_IMediaEvent || iid == IID_IMediaEventEx) return static_cast<IMediaEventEx*>(&eventsPart_);
    if (iid == IID_IVideoWindow) return static_cast<IVideoWindow*>(&videoPart_);
    return nullptr;
}

HRESULT FilterGraph::RenderFile(LPCWSTR file, LPCWSTR playList) {
    lastRenderError.clear();
    if (playList) {
        lastRenderError = "play lists are not supported";
        return E_INVALIDARG;
    }
    const std::string path = MediaFilePath(file, &lastRenderError);
    if (path.empty()) return file ? VFW_E_NOT_FOUND : E_POINTER;
    const std::string uri = FileUri(path);
    if (uri.empty()) {
        lastRenderError = "the file has no URI";
        return VFW_E_NOT_FOUND;
    }
    // The file replaces what the graph held: its events are of the past, and a
    // window destroyed from outside is made anew for it.
    ShowVideo(false);
    events_.Clear();
    if (video_.Closed()) {
        video_.Renew();
        pipeline_.SetVideoWindow(video_.Handle());
    }
    return pipeline_.Open(uri, &lastRenderError);
}

void FilterGraph::ShowVideo(bool show) {
    video_.SetVisible(show && pipeline_.HasVideo());
    if (show) pipeline_.Expose();
}

void FilterGraph::VideoWindowClosed(void* self) {
    static_cast<FilterGraph*>(self)->events_.Push(GraphEvent{EC_USERABORT, 0, 0, "the video window was closed"});
}

}  // namespace nol::dshow

const char* nol::dshow::LastRenderError() { return lastRenderError.c_str(); }
