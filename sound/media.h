// Media playback: one movie or sound file at a time through a DirectShow filter
// graph, its video in a child window over the whole client area of the main
// window. The graph reports the end of the file with a message to the main
// window, on which playback stops. The game does not use it; InitDirectShow and
// FreeDirectShow are for a program that does.
#pragma once

#include "dshow/dshow.h"

// Posted to the main window when the graph has events waiting.
constexpr UINT WM_MEDIA_NOTIFY = WM_APP + 1;

struct MediaStateRecord {
    IGraphBuilder* graph = nullptr;
    IMediaControl* control = nullptr;
    IMediaEventEx* events = nullptr;
    // Held while a file is rendered.
    IVideoWindow* videoWindow = nullptr;
    // 1 from a successful PlayMedia until StopMedia.
    int playing = 0;
};

extern MediaStateRecord MediaState;

// 1 on success; a failure has shown its error box.
int InitDirectShow();
void FreeDirectShow();
// name: the file, in the program's code page. 1 when it plays; a file that will
// not play is only logged.
int PlayMedia(const char* name);
void StopMedia();
int IsMediaPlaying();
// For the notification message: takes the graph's events and stops playback at
// the end of the file, or when it was aborted.
void OnMediaEvent();
// Puts the video over the main window's whole client area (after rendering, and
// when the window moves or changes size).
void UpdateVideoWindow();
