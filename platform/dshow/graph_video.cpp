// IVideoWindow of the filter graph.
#include "dshow/filter_graph.h"

namespace nol::dshow {

bool FilterGraph::Video::Usable() const { return owner_.pipeline_.HasVideo() && owner_.video_.IsOpen(); }

HRESULT FilterGraph::Video::put_Owner(OAHWND window) {
    if (!Usable()) return E_NOINTERFACE;
    if (!owner_.video_.SetOwner(reinterpret_cast<HWND>(window))) return E_FAIL;
    owner_.pipeline_.Expose();
    return S_OK;
}

// The window is always a child of its owner here; the style is kept for the asking.
HRESULT FilterGraph::Video::put_WindowStyle(LONG style) {
    if (!Usable()) return E_NOINTERFACE;
    owner_.style_ = style;
    return S_OK;
}

HRESULT FilterGraph::Video::SetWindowPosition(LONG left, LONG top, LONG width, LONG height) {
    if (!Usable()) return E_NOINTERFACE;
    if (width < 0 || height < 0) return E_INVALIDARG;
    owner_.video_.SetPosition(RECT{left, top, left + width, top + height});
    owner_.pipeline_.Expose();
    return S_OK;
}

HRESULT FilterGraph::Video::GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) {
    if (!left || !top || !width || !height) return E_POINTER;
    if (!Usable()) return E_NOINTERFACE;
    const RECT at = owner_.video_.Position();
    *left = at.left;
    *top = at.top;
    *width = at.right - at.left;
    *height = at.bottom - at.top;
    return S_OK;
}

HRESULT FilterGraph::Video::put_Visible(LONG visible) {
    if (!Usable()) return E_NOINTERFACE;
    owner_.video_.SetVisible(visible != OAFALSE);
    if (visible != OAFALSE) owner_.pipeline_.Expose();
    return S_OK;
}

HRESULT FilterGraph::Video::get_Visible(LONG* visible) {
    if (!visible) return E_POINTER;
    if (!Usable()) return E_NOINTERFACE;
    *visible = owner_.video_.Visible() ? OATRUE : OAFALSE;
    return S_OK;
}

}  // namespace nol::dshow
