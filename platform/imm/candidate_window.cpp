// Placing the input method's candidate list (SDL's text-input rectangle, which
// IBus and Fcitx put their list below).
#include <algorithm>

#include "imm/imm.h"
#include "imm/input_context.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

BOOL ImmSetCandidateWindow(HIMC himc, LPCANDIDATEFORM form) {
    const HWND window = nol::imm::ContextWindow(himc);
    if (!window || !form || form->dwIndex > 3) return FALSE;
    RECT area;
    if (form->dwStyle == CFS_EXCLUDE)
        area = form->rcArea;
    else if (form->dwStyle == CFS_CANDIDATEPOS)
        area = RECT{form->ptCurrentPos.x, form->ptCurrentPos.y, form->ptCurrentPos.x, form->ptCurrentPos.y};
    else
        return FALSE;
    const POINT topLeft = nol::win32::ClientToSdlWindow(window, POINT{area.left, area.top});
    const POINT bottomRight = nol::win32::ClientToSdlWindow(window, POINT{area.right, area.bottom});
    SDL_Rect rect{topLeft.x, topLeft.y, std::max(0, (int)(bottomRight.x - topLeft.x)),
                  std::max(0, (int)(bottomRight.y - topLeft.y))};
    // Fields say where they are every frame; the input method hears of moves only.
    static SDL_Rect last{-1, -1, -1, -1};
    if (!SDL_RectEquals(&rect, &last)) SDL_SetTextInputRect(&rect);
    last = rect;
    return TRUE;
}
