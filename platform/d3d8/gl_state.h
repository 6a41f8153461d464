// What the device's GL context holds of the fixed state and the bindings the
// device changes often, so that a call that would change nothing is not made.
// Every change of that state goes through here; a driver call is cheap on
// llvmpipe, but not on a graphics card's driver, which checks and queues each.
#pragma once

#include <GL/glcorearb.h>

namespace nol::d3d8 {

class GlState {
public:
    // Forgets everything: the next call of each kind is made whatever it sets.
    void Invalidate() { *this = GlState(); }

    void Enable(GLenum capability, bool on);
    void Viewport(GLint x, GLint y, GLsizei w, GLsizei h);
    void Scissor(GLint x, GLint y, GLsizei w, GLsizei h);
    void DepthRange(float nearZ, float farZ);
    void DepthFunc(GLenum func);
    void DepthMask(bool on);
    void StencilFunc(GLenum func, GLint ref, GLuint mask);
    void StencilOp(GLenum fail, GLenum zfail, GLenum pass);
    void StencilMask(GLuint mask);
    void BlendFunc(GLenum source, GLenum destination);
    void BlendEquation(GLenum equation);
    void CullFace(GLenum face);
    void FrontFace(GLenum winding);
    void PolygonMode(GLenum mode);
    void PolygonOffset(float units);
    void ColorMask(bool r, bool g, bool b, bool a);
    void ClearColor(float r, float g, float b, float a);
    void ClearDepth(float depth);
    void ClearStencil(GLint stencil);
    // GL_FRAMEBUFFER binds both the draw and the read framebuffer.
    void BindFramebuffer(GLenum target, GLuint framebuffer);
    GLuint DrawFramebuffer() const { return drawFramebuffer_; }
    // GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER (the latter part of the vertex array).
    void BindBuffer(GLenum target, GLuint buffer);
    void UseProgram(GLuint program);
    // Buffers or programs were deleted: their names may come back for new ones.
    void ForgetObjects();

private:
    static constexpr int kCapabilities = 8;
    static int CapabilityIndex(GLenum capability);

    signed char enabled_[kCapabilities] = {-1, -1, -1, -1, -1, -1, -1, -1};
    GLint viewport_[4] = {-1, -1, -1, -1};
    GLint scissor_[4] = {-1, -1, -1, -1};
    float depthRange_[2] = {-1.0f, -1.0f};
    GLenum depthFunc_ = 0;
    signed char depthMask_ = -1;
    GLenum stencilFunc_ = 0;
    GLint stencilRef_ = -1;
    GLuint stencilFuncMask_ = 0;
    GLenum stencilOp_[3] = {0, 0, 0};
    GLuint stencilMask_ = 0;
    bool stencilMaskKnown_ = false;
    GLenum blendFunc_[2] = {0, 0};
    GLenum blendEquation_ = 0;
    GLenum cullFace_ = 0;
    GLenum frontFace_ = 0;
    GLenum polygonMode_ = 0;
    float polygonOffset_ = -1.0f;
    bool polygonOffsetKnown_ = false;
    signed char colorMask_ = -1;  // four bits, r lowest
    float clearColor_[4] = {-1.0f, -1.0f, -1.0f, -1.0f};
    float clearDepth_ = -1.0f;
    GLint clearStencil_ = -1;
    GLuint drawFramebuffer_ = ~0u;
    GLuint readFramebuffer_ = ~0u;
    GLuint arrayBuffer_ = ~0u;
    GLuint elementBuffer_ = ~0u;
    GLuint program_ = ~0u;
};

}  // namespace nol::d3d8
