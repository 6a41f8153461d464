// DirectShow started and ended, playback stopped, and the graph's events taken
// when the main window is told of them.
#include "sound/media.h"

#include "shell/log.h"
#include "sound/release.h"

MediaStateRecord MediaState;

namespace {

void ShowError(const char* text) { MessageBoxA(GetActiveWindow(), text, "エラー", MB_SYSTEMMODAL); }

}  // namespace

int InitDirectShow() {
    LogSeparator();
    LogMessage("InitDirectShow\n");
    // Started already: the graph there is the one.
    if (MediaState.graph && MediaState.control && MediaState.events) return 1;
    if (!MediaState.graph && FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC, IID_IGraphBuilder,
                                                     (void**)&MediaState.graph))) {
        MediaState.graph = nullptr;
        ShowError("グラフィックフィルタが初期化できません.");
        return 0;
    }
    if (!MediaState.control &&
        FAILED(MediaState.graph->QueryInterface(IID_IMediaControl, (void**)&MediaState.control))) {
        MediaState.control = nullptr;
        ShowError("メディアコントロールが初期化できません.");
        return 0;
    }
    if (FAILED(MediaState.graph->QueryInterface(IID_IMediaEventEx, (void**)&MediaState.events))) {
        MediaState.events = nullptr;
        ShowError("メディアイベントが初期化できません.");
        return 0;
    }
    return 1;
}

void FreeDirectShow() {
    LogSeparator();
    LogMessage("FreeDirectShow\n");
    if (MediaState.control) StopMedia();
    ReleaseInterface(MediaState.videoWindow);
    ReleaseInterface(MediaState.events);
    ReleaseInterface(MediaState.control);
    ReleaseInterface(MediaState.graph);
}

void StopMedia() {
    if (!MediaState.control) return;
    MediaState.playing = 0;
    MediaState.control->Stop();
    ReleaseInterface(MediaState.videoWindow);
}

int IsMediaPlaying() { return MediaState.playing; }

void OnMediaEvent() {
    if (!MediaState.events) return;
    for (;;) {
        LONG code = 0;
        LONG_PTR param1 = 0, param2 = 0;
        if (FAILED(MediaState.events->GetEvent(&code, &param1, &param2, 0))) return;
        MediaState.events->FreeEventParams(code, param1, param2);
        // An error ends playback as surely as the end of the file does.
        if (code == EC_COMPLETE || code == EC_USERABORT || code == EC_ERRORABORT) break;
    }
    StopMedia();
}
