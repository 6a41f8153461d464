#include "d3dx8/screen_quad_states.h"

namespace nol::d3dx8 {
namespace {

constexpr DWORD kRenderState = ScreenQuadStates::kRenderState;
using Setting = ScreenQuadStates::Setting;

HRESULT Get(IDirect3DDevice8* device, DWORD stage, DWORD type, DWORD* value) {
    return stage == kRenderState ? device->GetRenderState(D3DRENDERSTATETYPE(type), value)
                                 : device->GetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value);
}

void Set(IDirect3DDevice8* device, DWORD stage, DWORD type, DWORD value) {
    if (stage == kRenderState)
        device->SetRenderState(D3DRENDERSTATETYPE(type), value);
    else
        device->SetTextureStageState(stage, D3DTEXTURESTAGESTATETYPE(type), value);
}

}  // namespace

bool ScreenQuadStates::Apply(IDirect3DDevice8* device, DWORD fvf) {
    Restore();
    saved_.clear();
    for (const Setting& s : settings_) {
        DWORD value = 0;
        // A state this device does not keep is neither changed nor put back.
        if (SUCCEEDED(Get(device, s.stage, s.type, &value)) && value != s.value)
            saved_.push_back({s.stage, s.type, value});
    }
    if (FAILED(device->GetTexture(0, &texture_)) || FAILED(device->GetVertexShader(&vertexShader_))) {
        if (texture_) texture_->Release();
        texture_ = nullptr;
        return false;
    }
    if (FAILED(device->GetStreamSource(0, &stream_, &streamStride_))) stream_ = nullptr;
    device_ = device;
    for (const Setting& s : settings_) Set(device, s.stage, s.type, s.value);
    device->SetVertexShader(fvf);
    return true;
}

void ScreenQuadStates::Restore() {
    if (!device_) return;
    for (const Setting& s : saved_) Set(device_, s.stage, s.type, s.value);
    device_->SetTexture(0, texture_);
    device_->SetVertexShader(vertexShader_);
    device_->SetStreamSource(0, stream_, streamStride_);
    if (texture_) texture_->Release();
    if (stream_) stream_->Release();
    texture_ = nullptr;
    stream_ = nullptr;
    device_ = nullptr;
}

}  // namespace nol::d3dx8
