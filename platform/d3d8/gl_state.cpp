#include "d3d8/gl_state.h"

#include <cstring>

#include "d3d8/gl_api.h"

namespace nol::d3d8 {

namespace {

template <typename T, size_t N>
bool Same(const T (&held)[N], const T (&wanted)[N]) {
    return std::memcmp(held, wanted, sizeof held) == 0;
}

template <typename T, size_t N>
void Keep(T (&held)[N], const T (&wanted)[N]) {
    std::memcpy(held, wanted, sizeof held);
}

}  // namespace

int GlState::CapabilityIndex(GLenum capability) {
    switch (capability) {
        case GL_SCISSOR_TEST: return 0;
        case GL_DEPTH_TEST: return 1;
        case GL_STENCIL_TEST: return 2;
        case GL_BLEND: return 3;
        case GL_CULL_FACE: return 4;
        case GL_POLYGON_OFFSET_FILL: return 5;
        case GL_POLYGON_OFFSET_LINE: return 6;
        case GL_POLYGON_OFFSET_POINT: return 7;
        default: return -1;
    }
}

void GlState::Enable(GLenum capability, bool on) {
    const int i = CapabilityIndex(capability);
    if (i >= 0 && enabled_[i] == static_cast<signed char>(on)) return;
    if (on) gl::Enable(capability);
    else gl::Disable(capability);
    if (i >= 0) enabled_[i] = static_cast<signed char>(on);
}

void GlState::Viewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    const GLint v[4] = {x, y, w, h};
    if (Same(viewport_, v)) return;
    gl::Viewport(x, y, w, h);
    Keep(viewport_, v);
}

void GlState::Scissor(GLint x, GLint y, GLsizei w, GLsizei h) {
    const GLint v[4] = {x, y, w, h};
    if (Same(scissor_, v)) return;
    gl::Scissor(x, y, w, h);
    Keep(scissor_, v);
}

void GlState::DepthRange(float nearZ, float farZ) {
    const float v[2] = {nearZ, farZ};
    if (Same(depthRange_, v)) return;
    gl::DepthRange(nearZ, farZ);
    Keep(depthRange_, v);
}

void GlState::DepthFunc(GLenum func) {
    if (depthFunc_ == func) return;
    gl::DepthFunc(func);
    depthFunc_ = func;
}

void GlState::DepthMask(bool on) {
    if (depthMask_ == static_cast<signed char>(on)) return;
    gl::DepthMask(on ? GL_TRUE : GL_FALSE);
    depthMask_ = static_cast<signed char>(on);
}

void GlState::StencilFunc(GLenum func, GLint ref, GLuint mask) {
    if (stencilFunc_ == func && stencilRef_ == ref && stencilFuncMask_ == mask) return;
    gl::StencilFunc(func, ref, mask);
    stencilFunc_ = func;
    stencilRef_ = ref;
    stencilFuncMask_ = mask;
}

void GlState::StencilOp(GLenum fail, GLenum zfail, GLenum pass) {
    const GLenum v[3] = {fail, zfail, pass};
    if (Same(stencilOp_, v)) return;
    gl::StencilOp(fail, zfail, pass);
    Keep(stencilOp_, v);
}

void GlState::StencilMask(GLuint mask) {
    if (stencilMaskKnown_ && stencilMask_ == mask) return;
    gl::StencilMask(mask);
    stencilMask_ = mask;
    stencilMaskKnown_ = true;
}

void GlState::BlendFunc(GLenum source, GLenum destination) {
    const GLenum v[2] = {source, destination};
    if (Same(blendFunc_, v)) return;
    gl::BlendFunc(source, destination);
    Keep(blendFunc_, v);
}

void GlState::BlendEquation(GLenum equation) {
    if (blendEquation_ == equation) return;
    gl::BlendEquation(equation);
    blendEquation_ = equation;
}

void GlState::CullFace(GLenum face) {
    if (cullFace_ == face) return;
    gl::CullFace(face);
    cullFace_ = face;
}

void GlState::FrontFace(GLenum winding) {
    if (frontFace_ == winding) return;
    gl::FrontFace(winding);
    frontFace_ = winding;
}

void GlState::PolygonMode(GLenum mode) {
    if (polygonMode_ == mode) return;
    gl::PolygonMode(GL_FRONT_AND_BACK, mode);
    polygonMode_ = mode;
}

void GlState::PolygonOffset(float units) {
    if (polygonOffsetKnown_ && polygonOffset_ == units) return;
    gl::PolygonOffset(0.0f, units);
    polygonOffset_ = units;
    polygonOffsetKnown_ = true;
}

void GlState::ColorMask(bool r, bool g, bool b, bool a) {
    const signed char bits = static_cast<signed char>(r | g << 1 | b << 2 | a << 3);
    if (colorMask_ == bits) return;
    gl::ColorMask(r, g, b, a);
    colorMask_ = bits;
}

void GlState::ClearColor(float r, float g, float b, float a) {
    const float v[4] = {r, g, b, a};
    if (Same(clearColor_, v)) return;
    gl::ClearColor(r, g, b, a);
    Keep(clearColor_, v);
}

void GlState::ClearDepth(float depth) {
    if (clearDepth_ == depth) return;
    gl::ClearDepth(depth);
    clearDepth_ = depth;
}

void GlState::ClearStencil(GLint stencil) {
    if (clearStencil_ == stencil) return;
    gl::ClearStencil(stencil);
    clearStencil_ = stencil;
}

void GlState::BindFramebuffer(GLenum target, GLuint framebuffer) {
    const bool draw = target != GL_READ_FRAMEBUFFER, read = target != GL_DRAW_FRAMEBUFFER;
    if ((!draw || drawFramebuffer_ == framebuffer) && (!read || readFramebuffer_ == framebuffer))
        return;
    if (draw && read && drawFramebuffer_ != framebuffer && readFramebuffer_ != framebuffer) {
        gl::BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    } else {
        if (draw && drawFramebuffer_ != framebuffer) gl::BindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
        if (read && readFramebuffer_ != framebuffer) gl::BindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    }
    if (draw) drawFramebuffer_ = framebuffer;
    if (read) readFramebuffer_ = framebuffer;
}

void GlState::BindBuffer(GLenum target, GLuint buffer) {
    GLuint& held = target == GL_ELEMENT_ARRAY_BUFFER ? elementBuffer_ : arrayBuffer_;
    if (held == buffer) return;
    gl::BindBuffer(target, buffer);
    held = buffer;
}

void GlState::UseProgram(GLuint program) {
    if (program_ == program) return;
    gl::UseProgram(program);
    program_ = program;
}

void GlState::ForgetObjects() {
    arrayBuffer_ = elementBuffer_ = program_ = ~0u;
}

}  // namespace nol::d3d8
