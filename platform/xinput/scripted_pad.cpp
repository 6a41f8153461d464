#include "xinput/scripted_pad.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include <SDL.h>

#include "base/platform_log.h"

namespace nol::xinput {

namespace {

constexpr size_t kLongestLine = 256;

struct Script {
    bool opened = false;
    int fd = -1;
    std::string pending;
    bool skipping = false;  // the rest of a line too long to keep
    SDL_Joystick* pad = nullptr;
};
Script script;

void Attach() {
    if (script.pad) return;
    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    script.pad = index >= 0 ? SDL_JoystickOpen(index) : nullptr;
    if (!script.pad) NolLog("NOL_TEST_PAD: no virtual pad: %s\n", SDL_GetError());
}

void Detach() {
    if (!script.pad) return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(script.pad);
    SDL_JoystickClose(script.pad);
    script.pad = nullptr;
    for (int index = 0; index < SDL_NumJoysticks(); ++index)
        if (SDL_JoystickGetDeviceInstanceID(index) == id) SDL_JoystickDetachVirtual(index);
}

// SDL's virtual pad takes the standard layout: button and axis numbers are
// SDL's own, and a trigger's raw axis rests at -32768.
bool Set(const std::string& name, long value) {
    if (!script.pad) return false;
    const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name.c_str());
    if (button != SDL_CONTROLLER_BUTTON_INVALID && (value == 0 || value == 1))
        return SDL_JoystickSetVirtualButton(script.pad, button, (Uint8)value) == 0;
    const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name.c_str());
    const bool trigger = axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT;
    const long low = trigger ? 0 : -32768;
    if (axis == SDL_CONTROLLER_AXIS_INVALID || value < low || value > 32767) return false;
    const long raw = trigger ? value * 2 - 32768 : value;
    return SDL_JoystickSetVirtualAxis(script.pad, axis, (Sint16)raw) == 0;
}

void Run(const std::string& line) {
    std::istringstream words(line);
    std::string name, rest;
    long value = 0;
    words >> name;
    if (name.empty()) return;
    if (name == "attach" && !(words >> rest)) return Attach();
    if (name == "detach" && !(words >> rest)) return Detach();
    if (words >> value && !(words >> rest) && Set(name, value)) return;
    NolLog("NOL_TEST_PAD: cannot do \"%.100s\"\n", line.c_str());
}

bool Open() {
    script.opened = true;
    const char* path = std::getenv("NOL_TEST_PAD");
    if (!path || !*path) return false;
    script.fd = open(path, O_RDONLY | O_CLOEXEC);
    if (script.fd < 0) NolLog("NOL_TEST_PAD: cannot open %.200s\n", path);
    return script.fd >= 0;
}

void Take(char c) {
    if (c == '\n') {
        if (!script.skipping) Run(script.pending);
        script.pending.clear();
        script.skipping = false;
        return;
    }
    if (script.skipping) return;
    if (script.pending.size() == kLongestLine) {
        NolLog("NOL_TEST_PAD: line longer than %zu bytes skipped\n", kLongestLine);
        script.pending.clear();
        script.skipping = true;
        return;
    }
    script.pending += c;
}

}  // namespace

void RunPadScript() {
    if (!script.opened && !Open()) return;
    if (script.fd < 0) return;
    char chunk[512];
    ssize_t got;
    while ((got = read(script.fd, chunk, sizeof chunk)) > 0)
        for (ssize_t i = 0; i < got; ++i) Take(chunk[i]);
}

}  // namespace nol::xinput
