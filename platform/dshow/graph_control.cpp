// IMediaControl and IMediaEventEx of the filter graph.
#include "base/platform_log.h"
#include "dshow/filter_graph.h"

namespace nol::dshow {

// Running or paused shows the video window, as the original's does by itself.
HRESULT FilterGraph::Control::Run() {
    const HRESULT hr = owner_.pipeline_.Run();
    if (SUCCEEDED(hr)) owner_.ShowVideo(true);
    return hr;
}

HRESULT FilterGraph::Control::Pause() {
    const HRESULT hr = owner_.pipeline_.Pause();
    if (SUCCEEDED(hr)) owner_.ShowVideo(true);
    return hr;
}

// The stopped video is taken off the owner's picture: its last frame would
// otherwise stay frozen over it.
HRESULT FilterGraph::Control::Stop() {
    const HRESULT hr = owner_.pipeline_.Stop();
    owner_.ShowVideo(false);
    owner_.events_.Clear();
    return hr;
}

HRESULT FilterGraph::Control::GetState(LONG msTimeout, OAFilterState* state) {
    if (!state) return E_POINTER;
    HRESULT hr = S_OK;
    *state = owner_.pipeline_.State(msTimeout < 0 ? INFINITE : (DWORD)msTimeout, &hr);
    return hr;
}

HRESULT FilterGraph::Events::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) {
    if (!code || !param1 || !param2) return E_POINTER;
    GraphEvent event;
    if (!owner_.events_.Take(&event, msTimeout < 0 ? INFINITE : (DWORD)msTimeout)) {
        *code = 0;
        *param1 = *param2 = 0;
        return E_ABORT;
    }
    // Why playback stopped is said here, on the thread that reads the events (the
    // program's own), not on GStreamer's.
    if (!event.reason.empty()) NolLog("DirectShow: playback stopped: %s\n", event.reason.c_str());
    *code = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

// No event of this graph carries anything that needs freeing.
HRESULT FilterGraph::Events::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT FilterGraph::Events::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
    owner_.events_.SetNotifyWindow(reinterpret_cast<HWND>(window), (UINT)message, instance);
    return S_OK;
}

}  // namespace nol::dshow
