// DirectShow, the part the framework plays media files with: the filter graph
// (made with CoCreateInstance of CLSID_FilterGraph), its control, its event queue
// and its video window, with their original names, GUIDs and values.
#pragma once

#include "com/objbase.h"
#include "win32/windows.h"

// Automation types of the original interfaces.
typedef LONG_PTR OAHWND;   // a window handle
typedef LONG_PTR OAEVENT;
typedef LONG OAFilterState;
#define OATRUE (-1)
#define OAFALSE (0)

// ---- class and interface identifiers -------------------------------------------
extern const CLSID CLSID_FilterGraph;
extern const IID IID_IFilterGraph;
extern const IID IID_IGraphBuilder;
extern const IID IID_IMediaControl;
extern const IID IID_IMediaEvent;
extern const IID IID_IMediaEventEx;
extern const IID IID_IVideoWindow;

// ---- event codes ---------------------------------------------------------------
#define EC_COMPLETE 0x01    // every stream has ended; param1 the result
#define EC_USERABORT 0x02   // the video window was closed
#define EC_ERRORABORT 0x03  // playback stopped on an error; param1 the result

// ---- graph states (IMediaControl::GetState) ------------------------------------
#define State_Stopped 0
#define State_Paused 1
#define State_Running 2

// ---- results -------------------------------------------------------------------
#define VFW_S_PARTIAL_RENDER ((HRESULT)0x00040242)        // some streams have no decoder
#define VFW_S_STATE_INTERMEDIATE ((HRESULT)0x00040237)    // the change of state is under way
#define VFW_E_NOT_FOUND ((HRESULT)0x80040216)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218)
#define VFW_E_UNSUPPORTED_STREAM ((HRESULT)0x8004022B)
#define VFW_E_TIMEOUT ((HRESULT)0x8004022E)
#define VFW_E_INVALID_FILE_FORMAT ((HRESULT)0x8004022F)
#define VFW_E_UNKNOWN_FILE_TYPE ((HRESULT)0x80040240)
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209)

// ---- the graph -----------------------------------------------------------------
struct IGraphBuilder : IUnknown {
    // Builds the graph that plays the file (every stream the installed decoders
    // can take) and leaves it stopped. The play list must be null.
    STDMETHOD(RenderFile)(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) = 0;
};

struct IMediaControl : IUnknown {
    // S_FALSE while the change of state is still under way.
    STDMETHOD(Run)() = 0;
    STDMETHOD(Pause)() = 0;
    // Stops and goes back to the start of the file.
    STDMETHOD(Stop)() = 0;
    // The state the graph is in or on its way to; VFW_S_STATE_INTERMEDIATE while
    // the change is not finished after msTimeout milliseconds.
    STDMETHOD(GetState)(LONG msTimeout, OAFilterState* pfs) = 0;
};

struct IMediaEvent : IUnknown {
    // Takes the oldest waiting event; E_ABORT when none arrives within msTimeout
    // milliseconds (0: never waits; INFINITE: waits for one).
    STDMETHOD(GetEvent)(LONG* lEventCode, LONG_PTR* lParam1, LONG_PTR* lParam2, LONG msTimeout) = 0;
    STDMETHOD(FreeEventParams)(LONG lEventCode, LONG_PTR lParam1, LONG_PTR lParam2) = 0;
};

struct IMediaEventEx : IMediaEvent {
    // Posts lMsg (wParam 0, lParam lInstanceData) to the window whenever an event
    // is waiting; a null window posts nothing. Events of the graph's own threads
    // are posted from those threads.
    STDMETHOD(SetNotifyWindow)(OAHWND hwnd, LONG lMsg, LONG_PTR lInstanceData) = 0;
};

// The window the video plays in. E_NOINTERFACE when the rendered file has no
// video stream.
struct IVideoWindow : IUnknown {
    // The window whose client area holds the video; 0 takes it out again.
    STDMETHOD(put_Owner)(OAHWND Owner) = 0;
    STDMETHOD(put_WindowStyle)(LONG WindowStyle) = 0;
    // In the owner's client coordinates.
    STDMETHOD(SetWindowPosition)(LONG Left, LONG Top, LONG Width, LONG Height) = 0;
    STDMETHOD(GetWindowPosition)(LONG* pLeft, LONG* pTop, LONG* pWidth, LONG* pHeight) = 0;
    STDMETHOD(put_Visible)(LONG Visible) = 0;
    STDMETHOD(get_Visible)(LONG* pVisible) = 0;
};
