// A font that draws nothing and keeps what it was asked to draw: every string, and
// the last call's count, rectangle, format and colour.
#pragma once

#include <string>
#include <vector>

#include "d3dx8/d3dx8core.h"

class RecordingFont : public ID3DXFont {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT GetDevice(IDirect3DDevice8**) override { return E_FAIL; }
    HRESULT GetLogFont(LOGFONT*) override { return E_FAIL; }
    HRESULT Begin() override { return D3D_OK; }
    INT DrawTextA(LPCSTR t, INT c, LPRECT r, DWORD f, D3DCOLOR colour) override {
        texts.emplace_back(t);
        text = t;
        count = c;
        rect = *r;
        format = f;
        this->colour = colour;
        return 16;
    }
    HRESULT End() override { return D3D_OK; }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

    std::vector<std::string> texts;
    std::string text;
    int count = 0;
    RECT rect{};
    DWORD format = 0;
    D3DCOLOR colour = 0;
};
