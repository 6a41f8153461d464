// Scenes, Clear and the draw calls.
#include <algorithm>
#include <cstdio>

#include "base/platform_log.h"
#include "d3d8/adapter.h"
#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"
#include "d3d8/shader_cache.h"

namespace nol::d3d8 {

namespace {

// The GL mode and vertex count of count primitives; false for unknown types.
bool Primitive(D3DPRIMITIVETYPE type, UINT count, GLenum* mode, UINT* vertices) {
    switch (type) {
        case D3DPT_POINTLIST: *mode = GL_POINTS; *vertices = count; return true;
        case D3DPT_LINELIST: *mode = GL_LINES; *vertices = 2 * count; return true;
        case D3DPT_LINESTRIP: *mode = GL_LINE_STRIP; *vertices = count + 1; return true;
        case D3DPT_TRIANGLELIST: *mode = GL_TRIANGLES; *vertices = 3 * count; return true;
        case D3DPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP; *vertices = count + 2; return true;
        case D3DPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN; *vertices = count + 2; return true;
        default: return false;
    }
}

GLenum GlMode(D3DPRIMITIVETYPE type) {
    GLenum mode = GL_POINTS;
    UINT vertices = 0;
    Primitive(type, 1, &mode, &vertices);
    return mode;
}

// Whole vertices in size bytes at the given stride, the last one needing only
// vertexSize bytes.
uint64_t VerticesIn(uint64_t size, UINT stride, UINT vertexSize) {
    if (size < vertexSize || stride == 0) return 0;
    return (size - vertexSize) / stride + 1;
}

}  // namespace

HRESULT Device::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT Device::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    if (condition_ == Condition::Operational && MakeCurrent()) gl::Flush();
    return D3D_OK;
}

bool Device::PrepareTarget() {
    gl_.BindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFbo_);
    if (!targetDirty_) return true;
    GLuint color = renderTarget_ ? renderTarget_->ColorTexture() : 0;
    gl::FramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, color, 0);
    gl::FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
    if (depthStencil_) {
        GLenum point = DepthFormatHasStencil(depthStencil_->Desc().Format)
                           ? GL_DEPTH_STENCIL_ATTACHMENT
                           : GL_DEPTH_ATTACHMENT;
        gl::FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, point, GL_RENDERBUFFER,
                                    depthStencil_->Renderbuffer());
    }
    GLenum status = gl::CheckFramebufferStatus(GL_DRAW_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        NolLog("Direct3D: render target not usable (GL status 0x%x)\n", status);
        return false;
    }
    targetDirty_ = false;
    return true;
}

RECT Device::TargetRect(LONG x1, LONG y1, LONG x2, LONG y2) const { return RECT{x1, y1, x2, y2}; }

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
    const DWORD known = D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    if (flags == 0 || (flags & ~known) || (count > 0 && !rects)) return D3DERR_INVALIDCALL;
    if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) && !depthStencil_)
        return D3DERR_INVALIDCALL;
    if ((flags & D3DCLEAR_STENCIL) && !DepthFormatHasStencil(depthStencil_->Desc().Format))
        return D3DERR_INVALIDCALL;
    if (condition_ != Condition::Operational) return D3D_OK;  // nothing draws while lost
    if (!MakeCurrent() || !PrepareTarget()) return D3DERR_INVALIDCALL;

    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        mask |= GL_COLOR_BUFFER_BIT;
        gl_.ColorMask(true, true, true, true);
        gl_.ClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f,
                       (color & 0xFF) / 255.0f, (color >> 24) / 255.0f);
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        mask |= GL_DEPTH_BUFFER_BIT;
        gl_.DepthMask(true);
        gl_.ClearDepth(std::clamp(z, 0.0f, 1.0f));
    }
    if (flags & D3DCLEAR_STENCIL) {
        mask |= GL_STENCIL_BUFFER_BIT;
        gl_.StencilMask(0xFFFFFFFFu);
        gl_.ClearStencil(static_cast<GLint>(stencil & 0xFF));
    }
    gl_.Enable(GL_SCISSOR_TEST, true);
    // Clears stay inside the viewport; rows count from the top, as in memory.
    const LONG vx1 = static_cast<LONG>(viewport_.X), vy1 = static_cast<LONG>(viewport_.Y);
    const LONG vx2 = vx1 + static_cast<LONG>(viewport_.Width);
    const LONG vy2 = vy1 + static_cast<LONG>(viewport_.Height);
    auto clearRect = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
        x1 = std::max(x1, vx1);
        y1 = std::max(y1, vy1);
        x2 = std::min(x2, vx2);
        y2 = std::min(y2, vy2);
        if (x1 >= x2 || y1 >= y2) return;
        const RECT r = TargetRect(x1, y1, x2, y2);
        gl_.Scissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
        gl::Clear(mask);
    };
    if (count == 0) {
        clearRect(vx1, vy1, vx2, vy2);
    } else {
        for (DWORD i = 0; i < count; ++i) clearRect(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    }
    fixedStateDirty_ = true;  // masks and scissor changed
    return D3D_OK;
}

HRESULT Device::CheckDraw(D3DPRIMITIVETYPE type, UINT count, UINT* vertexCount) const {
    GLenum mode;
    if (!inScene_ || !layoutValid_ || count == 0 || count > kMaxPrimitiveCount ||
        !Primitive(type, count, &mode, vertexCount))
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

bool Device::PrepareDraw() {
    if (!MakeCurrent() || !PrepareTarget()) return false;
    if (fixedStateDirty_) ApplyFixedState();
    if (keyDirty_) {
        program_ = shaders_->Get(BuildKey());
        keyDirty_ = false;
    }
    if (!program_) return false;
    gl_.UseProgram(program_->id);
    gl_.Enable(GL_BLEND, BlendNeeded());
    UploadUniforms(*program_);
    ApplySamplers();
    const ShaderKey& key = program_->key;
    for (int i = 0; i < key.stageCount; ++i) {
        if (!key.stages[i].sampled) continue;
        GLuint name = textures_[i] ? textures_[i]->Prepare() : 0;
        if (boundTextures_[i] != name) {
            gl::ActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(i));
            gl::BindTexture(GL_TEXTURE_2D, name);
            boundTextures_[i] = name;
        }
    }
    return true;
}

void Device::SetupVertexInput(unsigned buffer, UINT stride, size_t offset) {
    if (buffer == attribBuffer_ && stride == attribStride_ && offset == attribOffset_ &&
        layout_.fvf == attribFvf_)
        return;
    const VertexLayout& l = layout_;
    gl_.BindBuffer(GL_ARRAY_BUFFER, buffer);
    auto at = [offset](UINT o) { return reinterpret_cast<const void*>(offset + o); };
    const GLsizei s = static_cast<GLsizei>(stride);
    uint32_t wanted = 1;
    gl::VertexAttribPointer(0, l.rhw ? 4 : 3, GL_FLOAT, GL_FALSE, s, at(0));
    if (l.normal) {
        wanted |= 1u << 1;
        gl::VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, s, at(l.normalOffset));
    }
    // D3DCOLOR is B, G, R, A in memory: exactly GL_BGRA of normalised bytes.
    if (l.diffuse) {
        wanted |= 1u << 2;
        gl::VertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(l.diffuseOffset));
    }
    if (l.specular) {
        wanted |= 1u << 3;
        gl::VertexAttribPointer(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, at(l.specularOffset));
    }
    for (UINT i = 0; i < l.texSets; ++i) {
        wanted |= 1u << (4 + i);
        gl::VertexAttribPointer(4 + i, static_cast<GLint>(l.texComponents[i]), GL_FLOAT, GL_FALSE,
                                s, at(l.texOffset[i]));
    }
    for (unsigned i = 0; i < 12; ++i) {
        uint32_t bit = 1u << i;
        if ((wanted & bit) && !(enabledAttribs_ & bit)) gl::EnableVertexAttribArray(i);
        if (!(wanted & bit) && (enabledAttribs_ & bit)) gl::DisableVertexAttribArray(i);
    }
    enabledAttribs_ = wanted;
    attribBuffer_ = buffer;
    attribStride_ = stride;
    attribOffset_ = offset;
    attribFvf_ = l.fvf;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT count) {
    UINT vertices = 0;
    HRESULT hr = CheckDraw(type, count, &vertices);
    if (FAILED(hr)) return hr;
    if (!stream_ || streamStride_ < layout_.size) return D3DERR_INVALIDCALL;
    if (uint64_t(startVertex) + vertices > VerticesIn(stream_->Size(), streamStride_, layout_.size))
        return D3DERR_INVALIDCALL;
    if (condition_ != Condition::Operational) return D3D_OK;
    if (!PrepareDraw()) return D3DERR_INVALIDCALL;
    SetupVertexInput(stream_->Prepare(), streamStride_, 0);
    gl::DrawArrays(GlMode(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT, UINT, UINT startIndex,
                                     UINT count) {
    // The minimum index and vertex count are hints for vertex processing; the
    // indices themselves are checked against the vertex buffer instead.
    UINT indexCount = 0;
    HRESULT hr = CheckDraw(type, count, &indexCount);
    if (FAILED(hr)) return hr;
    if (!stream_ || !indices_ || streamStride_ < layout_.size) return D3DERR_INVALIDCALL;
    if (uint64_t(startIndex) + indexCount > indices_->IndexCount()) return D3DERR_INVALIDCALL;
    uint64_t available = VerticesIn(stream_->Size(), streamStride_, layout_.size);
    uint64_t largest = uint64_t(indices_->MaxIndex()) + baseVertexIndex_;
    if (largest >= available || largest > kMaxVertexIndex) {
        // The whole buffer reaches too far; this draw may still use only good indices.
        largest = uint64_t(MaxIndexOf(indices_->Data() + uint64_t(startIndex) * indices_->IndexSize(),
                                      indexCount, indices_->IndexSize())) +
                  baseVertexIndex_;
        if (largest >= available || largest > kMaxVertexIndex) return D3DERR_INVALIDCALL;
    }
    if (condition_ != Condition::Operational) return D3D_OK;
    if (!PrepareDraw()) return D3DERR_INVALIDCALL;
    SetupVertexInput(stream_->Prepare(), streamStride_, 0);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->Prepare());
    const UINT size = indices_->IndexSize();
    gl::DrawElementsBaseVertex(GlMode(type), static_cast<GLsizei>(indexCount),
                               size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                               reinterpret_cast<const void*>(uintptr_t(startIndex) * size),
                               static_cast<GLint>(baseVertexIndex_));
    return D3D_OK;
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT count, const void* data,
                                UINT stride) {
    UINT vertices = 0;
    HRESULT hr = CheckDraw(type, count, &vertices);
    if (FAILED(hr) || !data || stride < layout_.size || stride > kMaxStreamStride)
        return D3DERR_INVALIDCALL;
    // As with the original, stream 0 is unset afterwards.
    BindStream(nullptr, 0);
    if (condition_ != Condition::Operational) return D3D_OK;
    userVertices_ = {static_cast<const uint8_t*>(data), vertices, stride};
    const bool prepared = PrepareDraw();
    userVertices_ = {};
    if (!prepared) return D3DERR_INVALIDCALL;
    uint64_t bytes = uint64_t(vertices - 1) * stride + layout_.size;
    gl_.BindBuffer(GL_ARRAY_BUFFER, streamVertices_);
    gl::BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_STREAM_DRAW);
    SetupVertexInput(streamVertices_, stride, 0);
    gl::DrawArrays(GlMode(type), 0, static_cast<GLsizei>(vertices));
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                       UINT numVertexIndices, UINT count, const void* indexData,
                                       D3DFORMAT indexFormat, const void* vertexData,
                                       UINT stride) {
    UINT indexCount = 0;
    HRESULT hr = CheckDraw(type, count, &indexCount);
    if (FAILED(hr) || !indexData || !vertexData || numVertexIndices == 0 ||
        stride < layout_.size || stride > kMaxStreamStride ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32) ||
        uint64_t(minVertexIndex) + numVertexIndices > uint64_t(kMaxVertexIndex) + 1)
        return D3DERR_INVALIDCALL;
    // Only vertices minVertexIndex .. minVertexIndex + numVertexIndices - 1 are read,
    // so every index must lie among them.
    const UINT size = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    const auto* bytes = static_cast<const uint8_t*>(indexData);
    for (UINT i = 0; i < indexCount; ++i) {
        const uint32_t v = IndexAt(bytes, i, size);
        if (v < minVertexIndex || uint64_t(v) >= uint64_t(minVertexIndex) + numVertexIndices)
            return D3DERR_INVALIDCALL;
    }
    BindStream(nullptr, 0);
    BindIndices(nullptr, 0);
    if (condition_ != Condition::Operational) return D3D_OK;
    const auto* first = static_cast<const uint8_t*>(vertexData) + uint64_t(minVertexIndex) * stride;
    userVertices_ = {first, numVertexIndices, stride};
    const bool prepared = PrepareDraw();
    userVertices_ = {};
    if (!prepared) return D3DERR_INVALIDCALL;
    uint64_t vertexBytes = uint64_t(numVertexIndices - 1) * stride + layout_.size;
    gl_.BindBuffer(GL_ARRAY_BUFFER, streamVertices_);
    gl::BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertexBytes), first, GL_STREAM_DRAW);
    SetupVertexInput(streamVertices_, stride, 0);
    gl_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, streamIndices_);
    gl::BufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(uint64_t(indexCount) * size),
                   indexData, GL_STREAM_DRAW);
    gl::DrawElementsBaseVertex(GlMode(type), static_cast<GLsizei>(indexCount),
                               size == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr,
                               -static_cast<GLint>(minVertexIndex));
    return D3D_OK;
}

}  // namespace nol::d3d8
