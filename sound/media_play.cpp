// Playing a file in the main window: the video over its whole client area, the
// graph's events announced to it.
#include "dshow/dshowreason.h"
#include "shell/log.h"
#include "shell/window.h"
#include "sound/media.h"
#include "sound/release.h"

namespace {

// After the line that says how a play went: the player's reason, when it gave one
// (why a file did not render, or which stream of it could not be played).
void LogRenderReason() {
    const char* reason = DShowGetLastRenderError();
    if (reason && reason[0]) LogMessage("media: %.200s\n", reason);
}

// Ends a "play(%s) ... " line that failed at text.
int PlayFailed(const char* text) {
    LogMessage("%s", text);
    return 0;
}

}  // namespace

int PlayMedia(const char* name) {
    if (!name) name = "";
    LogMessage("play(%s) ... ", name);
    if (!MediaState.graph) return PlayFailed("can't render.\n");
    // One file at a time: what plays now stops, and its video window goes.
    if (MediaState.playing || MediaState.videoWindow) StopMedia();

    // A name too long for the buffer does not convert at all, and is not rendered.
    WCHAR wideName[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, MAX_PATH) == 0) return PlayFailed("can't render.\n");
    if (FAILED(MediaState.graph->RenderFile(wideName, nullptr))) {
        PlayFailed("can't render.\n");
        LogRenderReason();
        return 0;
    }
    if (FAILED(MediaState.graph->QueryInterface(IID_IVideoWindow, (void**)&MediaState.videoWindow))) {
        MediaState.videoWindow = nullptr;
        return PlayFailed("can't query interface.\n");
    }
    if (!MediaState.events ||
        FAILED(MediaState.events->SetNotifyWindow((OAHWND)mainWindow, WM_MEDIA_NOTIFY, 0)))
        return PlayFailed("can't set notify window.\n");
    UpdateVideoWindow();
    if (!MediaState.control || FAILED(MediaState.control->Run())) return PlayFailed("can't run media control.\n");
    LogMessage("ok.\n");
    LogRenderReason();
    MediaState.playing = 1;
    return 1;
}

void UpdateVideoWindow() {
    if (!MediaState.videoWindow) return;
    MediaState.videoWindow->put_Owner((OAHWND)mainWindow);
    MediaState.videoWindow->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
    MediaState.videoWindow->SetWindowPosition(0, 0, clientWidth, clientHeight);
}
