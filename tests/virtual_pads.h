// SDL virtual pads in the standard layout (SDL lays a virtual game controller out
// as its own button and axis numbers), plugged in and pulled out by a test. Every
// pad still plugged in is pulled out when the helper goes.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "win32/sdl_bridge.h"

class VirtualPads {
public:
    VirtualPads() = default;
    VirtualPads(const VirtualPads&) = delete;
    VirtualPads& operator=(const VirtualPads&) = delete;
    ~VirtualPads() {
        for (SDL_Joystick* pad : std::vector(pads_)) Unplug(pad);
        Pump();
    }

    SDL_Joystick* Plug() {
        const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                    SDL_CONTROLLER_BUTTON_MAX, 0);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* pad = SDL_JoystickOpen(index);
        EXPECT_NE(pad, nullptr) << SDL_GetError();
        if (pad) pads_.push_back(pad);
        return pad;
    }

    void Unplug(SDL_Joystick* pad) {
        const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
        SDL_JoystickClose(pad);
        std::erase(pads_, pad);
        for (int index = 0; index < SDL_NumJoysticks(); ++index)
            if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
    }

    // The message pump, as the main loop runs it before each frame: pads plugged
    // in and pulled out are noticed here.
    static void Pump() {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

private:
    std::vector<SDL_Joystick*> pads_;
};
