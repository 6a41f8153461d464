// The window the video plays in: an X11 window of its own, made hidden at the
// root and moved into the owner's client area as a child, where GStreamer's
// ximagesink draws the frames (GstVideoOverlay). Being a child, it covers its
// part of the owner's picture while the owner's own frames go on underneath, and
// keyboard and mouse events pass through it to the owner.
//
// Without an owner the video stays hidden: here it is only ever shown inside a
// window of the program. Under Wayland, with no X display, there is no such window
// at all and only the sound plays.
#pragma once

#include <atomic>

#include "win32/windows.h"

typedef struct _XDisplay Display;

namespace nol::dshow {

class VideoWindow {
public:
    // closed runs when the window is destroyed from outside (its owner went, or
    // another X client destroyed it), on whichever thread finds out.
    VideoWindow(void (*closed)(void* context), void* context);
    ~VideoWindow();
    VideoWindow(const VideoWindow&) = delete;
    VideoWindow& operator=(const VideoWindow&) = delete;

    // Connects to the X display and makes the window (hidden); false with the
    // reason when there is no X display.
    bool Open(const char** reason);
    bool IsOpen() const { return window_ != 0; }
    // The X window, for GstVideoOverlay.
    unsigned long Handle() const { return window_; }
    // A window destroyed from outside is made anew, hidden at the root.
    void Renew();

    // Moves the window into the owner's client area (null: back to the root,
    // hidden). False when the owner has no X11 window.
    bool SetOwner(HWND owner);
    HWND Owner() const { return owner_; }
    // In the owner's client coordinates.
    void SetPosition(const RECT& rect);
    RECT Position() const { return position_; }
    // Shown only while it has an owner.
    void SetVisible(bool visible);
    bool Visible() const { return visible_; }
    bool Closed() const { return closed_.load(); }

private:
    void Create();
    void Destroy();
    void Place();
    static void MarkClosed(void* self);

    void (*closed_callback_)(void*);
    void* context_;
    Display* display_ = nullptr;
    unsigned long window_ = 0;
    HWND owner_ = nullptr;
    RECT position_{0, 0, 640, 480};
    bool visible_ = false;
    bool mapped_ = false;
    std::atomic<bool> closed_{false};
};

}  // namespace nol::dshow
