// Present: the back buffer scaled into the window.
#include <algorithm>

#include "base/startup_trace.h"
#include "d3d8/device.h"
#include "d3d8/gl_api.h"
#include "win32/screen_mode.h"
#include "win32/sdl_bridge.h"

namespace nol::d3d8 {

namespace {

bool InsideBackBuffer(const RECT& r, LONG width, LONG height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width &&
           r.bottom <= height;
}

}  // namespace

void Device::ClearWindowToBlack() {
    gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    gl_.Enable(GL_SCISSOR_TEST, false);
    gl_.ColorMask(true, true, true, true);
    gl_.ClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl::Clear(GL_COLOR_BUFFER_BIT);
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                        const RGNDATA*) {
    if (condition_ != Condition::Operational) return D3DERR_DEVICELOST;
    // Rectangles need a swap effect that keeps the back buffer (COPY).
    bool copies = params_.SwapEffect == D3DSWAPEFFECT_COPY ||
                  params_.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC;
    if ((sourceRect || destRect) && !copies) return D3DERR_INVALIDCALL;
    if (!MakeCurrent() || !backBuffer_) return D3DERR_DEVICELOST;

    HWND target = destWindowOverride ? destWindowOverride : window_;
    SDL_Window* window = IsWindow(target) ? NolSdlWindow(target) : nullptr;
    if (!window) return D3DERR_INVALIDCALL;

    const LONG bw = static_cast<LONG>(backBuffer_->Desc().Width);
    const LONG bh = static_cast<LONG>(backBuffer_->Desc().Height);
    if (sourceRect && !InsideBackBuffer(*sourceRect, bw, bh)) return D3DERR_INVALIDCALL;
    const RECT src = sourceRect ? *sourceRect : RECT{0, 0, bw, bh};
    if (window != sdlWindow_ && SDL_GL_MakeCurrent(window, context_) != 0)
        return D3DERR_INVALIDCALL;

    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    if (window == sdlWindow_ && (dw != drawableWidth_ || dh != drawableHeight_)) {
        // Some GL implementations see a window's new size only after a swap; one
        // black frame on a size change lets this picture fill the window.
        ClearWindowToBlack();
        SDL_GL_SwapWindow(window);
        drawableWidth_ = dw;
        drawableHeight_ = dh;
    }
    RECT dst{0, 0, dw, dh};
    if (destRect) dst = *destRect;
    else if (!params_.Windowed)  // the picture keeps its shape: bars beside or above and below it
        dst = win32::Letterbox(src.right - src.left, src.bottom - src.top, dw, dh);

    BlitBackBuffer(src, dst, dw, dh);
    if (capturePresents_) CaptureWindow(dw, dh);
    SDL_GL_SwapWindow(window);
    static bool presented = false;
    if (!presented) {
        presented = true;
        NolStartupMark("first present");
    }
    if (window != sdlWindow_) SDL_GL_MakeCurrent(sdlWindow_, context_);
    fixedStateDirty_ = true;  // scissor, mask and viewport
    return D3D_OK;
}

// Draws src of the back buffer at dst of a window whose drawable is dw x dh,
// the rest of the window black.
void Device::BlitBackBuffer(const RECT& src, const RECT& dst, int, int dh) {
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    gl::FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D,
                             backBuffer_->ColorTexture(), 0);
    ClearWindowToBlack();
    // Window rows count upwards in OpenGL, back-buffer rows downwards: flip here.
    const bool sameSize = (dst.right - dst.left) == (src.right - src.left) &&
                          (dst.bottom - dst.top) == (src.bottom - src.top);
    gl::BlitFramebuffer(src.left, src.top, src.right, src.bottom, dst.left, dh - dst.top,
                        dst.right, dh - dst.bottom, GL_COLOR_BUFFER_BIT,
                        sameSize ? GL_NEAREST : GL_LINEAR);
}

// Keeps the window's picture for LastPresented.
void Device::CaptureWindow(int dw, int dh) {
    // Window rows come bottom-up; keep them top-down like every surface here.
    presentedWidth_ = static_cast<UINT>(dw);
    presentedHeight_ = static_cast<UINT>(dh);
    std::vector<uint32_t> rows(size_t(dw) * dh);
    gl_.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    gl::PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::PixelStorei(GL_PACK_ROW_LENGTH, 0);
    gl::ReadPixels(0, 0, dw, dh, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, rows.data());
    presented_.resize(rows.size());
    for (int y = 0; y < dh; ++y)
        std::copy_n(rows.begin() + std::ptrdiff_t(y) * dw, dw,
                    presented_.begin() + std::ptrdiff_t(dh - 1 - y) * dw);
}

bool Device::LastPresented(std::vector<uint32_t>* pixels, UINT* width, UINT* height) const {
    if (presented_.empty()) return false;
    *pixels = presented_;
    *width = presentedWidth_;
    *height = presentedHeight_;
    return true;
}

}  // namespace nol::d3d8
