// The owner window's side of a modal file chooser. While the chooser is up the
// program's thread turns here: the owner's events are taken off SDL's queue without
// becoming window messages or input, its picture is put back when it is uncovered,
// and a request to end the program gives the chooser up.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "win32/windows.h"

namespace nol::comdlg {

class ModalWait {
public:
    explicit ModalWait(HWND owner);
    // Lets go of every key and button the input state may still hold down, and
    // puts the events kept for later back on SDL's queue.
    ~ModalWait();
    ModalWait(const ModalWait&) = delete;
    ModalWait& operator=(const ModalWait&) = delete;

    // Takes the events waiting, then waits up to timeoutMs for fd to become
    // readable (fd < 0: just waits). False once the program has been asked to end
    // (a quit request, the owner window closed): the chooser is to be given up.
    bool Turn(int fd, int timeoutMs);

    HWND Owner() const { return owner_; }

private:
    void Take(const SDL_Event& event);
    void Keep(const SDL_Event& event);
    void ReleaseInput();

    HWND owner_;
    Uint32 ownerId_ = 0;
    bool ending_ = false;
    // Events that are not input (focus, size, a quit request), handled as usual
    // once the chooser has gone.
    std::vector<SDL_Event> later_;
};

// The X11 window behind a window handle, or 0 (none, or not on X11).
uint64_t X11WindowOf(HWND window);

}  // namespace nol::comdlg
