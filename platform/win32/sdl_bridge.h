// What the other platform stand-ins need of the window and message layer: SDL
// start-up, the SDL window behind a window handle, and a look at every SDL event
// the message pump takes. Used inside platform/ only.
#pragma once

#include <SDL.h>

#include "win32/windows.h"

// Starts SDL's video and event subsystems once; false (with SDL's reason in the
// log) when no display can be opened.
bool NolInitSdlVideo();

// Starts an extra SDL subsystem (SDL_INIT_JOYSTICK, ...) together with the
// event subsystem (video is not needed); false with SDL's reason in the log.
bool NolInitSdlSubsystem(Uint32 flags);

// The SDL window of a window handle, or null.
SDL_Window* NolSdlWindow(HWND hwnd);

// The window handle of an SDL window id, or null.
HWND NolWindowFromSdlId(Uint32 windowId);

// Observers see every SDL event the message pump takes off SDL's queue, before it
// becomes a window message (the DirectInput stand-in keeps its key state this way).
typedef void (*NolSdlEventObserver)(const SDL_Event& event, void* context);
void NolAddSdlEventObserver(NolSdlEventObserver observer, void* context);
void NolRemoveSdlEventObserver(NolSdlEventObserver observer, void* context);
// Shows an event to the observers only, for a window that keeps the event from the
// message queue but whose effect on the input state must not be lost.
void NolObserveSdlEvent(const SDL_Event& event);

// Takes every event waiting in SDL's queue and turns it into window messages.
void NolDrainSdlEvents();
