// A whole program's window as a player meets it, on a display of the test's own:
// found by the program's process id, keys sent through the X server (xdotool), the
// client area read off the screen.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_support.h"

// Last: Xlib's macros (None, Bool, ...) would break headers included after it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

// A window's top left width x height pixels as 0xAARRGGBB, row 0 on top, its
// child windows' included (a video overlay, say); empty when they cannot be read.
inline std::vector<uint32_t> GrabXWindow(Display* display, Window window, int width, int height) {
    XSync(display, False);
    XImage* image = XGetImage(display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    std::vector<uint32_t> pixels;
    if (!image) return pixels;
    pixels.resize(size_t(width) * size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[size_t(y) * size_t(width) + size_t(x)] = 0xFF000000u | uint32_t(XGetPixel(image, x, y) & 0xFFFFFF);
    XDestroyImage(image);
    return pixels;
}

class ProgramWindow {
public:
    explicit ProgramWindow(const PrivateDisplay& display) : display_(display) {}
    ProgramWindow(const ProgramWindow&) = delete;
    ProgramWindow& operator=(const ProgramWindow&) = delete;
    ~ProgramWindow() {
        if (x_) XCloseDisplay(x_);
    }

    // Waits for the window of process pid to appear; false when it does not.
    bool Find(int pid) {
        if (!x_) x_ = XOpenDisplay(display_.name.c_str());
        if (!x_) return false;
        for (int i = 0; i < ScaledMs(200) && !window_; ++i) {
            const ProcessResult r = Xdotool({"search", "--pid", std::to_string(pid)});
            if (r.exitCode == 0) window_ = Window(std::strtoul(r.out.c_str(), nullptr, 10));
            if (!window_) usleep(50000);
        }
        return window_ != 0;
    }

    Window Id() const { return window_; }

    ProcessResult Xdotool(const std::vector<std::string>& args) const {
        return RunProcess("/usr/bin/xdotool", args, {display_.Env()}, ScaledMs(10000));
    }

    void Focus() const { Xdotool({"windowfocus", "--sync", std::to_string(window_)}); }

    // A key held for a few frames, as a player's press is: programs read the
    // keyboard once a frame.
    void Press(const std::string& key) const {
        Xdotool({"keydown", key});
        usleep(ScaledMs(150) * 1000);
        Xdotool({"keyup", key});
    }

    // The client area's top left width x height pixels as 0xAARRGGBB, row 0 on
    // top; empty when it cannot be read.
    std::vector<uint32_t> Grab(int width, int height) const { return GrabXWindow(x_, window_, width, height); }

    // Waits until the program has drawn something, and a moment more: its first
    // frames compile their shaders and can take longer than a key is held, so a
    // key pressed before would come and go between two reads of the keyboard.
    bool WaitForFirstPicture(int width, int height) const {
        for (int waited = 0; waited < ScaledMs(20000); waited += 100) {
            for (uint32_t c : Grab(width, height))
                if ((c & 0xFFFFFF) != 0) {
                    usleep(ScaledMs(300) * 1000);
                    return true;
                }
            usleep(100000);
        }
        return false;
    }

private:
    const PrivateDisplay& display_;
    Display* x_ = nullptr;
    Window window_ = 0;
};
