// From Direct3D state to OpenGL: fixed GL state, samplers, uniforms.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "d3d8/adapter.h"
#include "d3d8/device.h"
#include "d3d8/formats.h"
#include "d3d8/gl_api.h"
#include "d3d8/shader_cache.h"
#include "math/matrix.h"

namespace nol::d3d8 {

namespace {

GLenum CompareFunction(DWORD f) {
    static const GLenum map[] = {GL_ALWAYS, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL,
                                 GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return f <= 8 ? map[f] : GL_ALWAYS;
}

GLenum BlendFactor(DWORD b, bool source) {
    switch (b) {
        case D3DBLEND_ZERO: return GL_ZERO;
        case D3DBLEND_ONE: return GL_ONE;
        case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
        case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
        case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
        case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
        case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
        case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
        case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
        case D3DBLEND_BOTHSRCALPHA: return source ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA;
        case D3DBLEND_BOTHINVSRCALPHA: return source ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
        default: return GL_ONE;
    }
}

GLenum BlendEquation(DWORD op) {
    switch (op) {
        case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
        case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
        case D3DBLENDOP_MIN: return GL_MIN;
        case D3DBLENDOP_MAX: return GL_MAX;
        default: return GL_FUNC_ADD;
    }
}

GLenum StencilOperation(DWORD op) {
    static const GLenum map[] = {GL_KEEP,    GL_KEEP, GL_ZERO,      GL_REPLACE, GL_INCR,
                                 GL_DECR,    GL_INVERT, GL_INCR_WRAP, GL_DECR_WRAP};
    return op <= 8 ? map[op] : GL_KEEP;
}

GLenum AddressMode(DWORD mode) {
    switch (mode) {
        case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
        case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
        case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
        default: return GL_REPEAT;
    }
}

void ColorToFloats(D3DCOLOR c, float out[4]) {
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = (c >> 24) / 255.0f;
}


// The inverse transpose of the upper 3 x 3 of m, row-major, for normals as row
// vectors. A singular matrix gives zero normals.
void NormalMatrix(const D3DMATRIX& m, float out[9]) {
    double a = m._11, b = m._12, c = m._13, d = m._21, e = m._22, f = m._23, g = m._31,
           h = m._32, i = m._33;
    double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    double D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    double G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    double det = a * A + b * B + c * C;
    if (std::fabs(det) < 1e-30) {
        std::fill(out, out + 9, 0.0f);
        return;
    }
    // inverse = adjugate / det, where adjugate = cofactor transposed; the
    // transpose of the inverse is therefore the cofactor matrix / det.
    const double cof[9] = {A, B, C, D, E, F, G, H, I};
    for (int k = 0; k < 9; ++k) out[k] = static_cast<float>(cof[k] / det);
}

// A point as a row vector times the view matrix.
void EyePoint(const D3DMATRIX& v, const D3DVECTOR& P, float out[3]) {
    out[0] = P.x * v._11 + P.y * v._21 + P.z * v._31 + v._41;
    out[1] = P.x * v._12 + P.y * v._22 + P.z * v._32 + v._42;
    out[2] = P.x * v._13 + P.y * v._23 + P.z * v._33 + v._43;
}

// A direction turned by the view matrix and made unit length (zero stays zero).
void EyeDirection(const D3DMATRIX& v, const D3DVECTOR& D, float out[3]) {
    float dx = D.x * v._11 + D.y * v._21 + D.z * v._31;
    float dy = D.x * v._12 + D.y * v._22 + D.z * v._32;
    float dz = D.x * v._13 + D.y * v._23 + D.z * v._33;
    float len = std::sqrt(dx * dx + dy * dy + dz * dz);
    float inv = len > 0.0f ? 1.0f / len : 0.0f;
    out[0] = dx * inv;
    out[1] = dy * inv;
    out[2] = dz * inv;
}

}  // namespace

void Device::ApplyFixedState() {
    const DWORD* rs = renderStates_;
    const D3DVIEWPORT8& vp = viewport_;
    const RECT r = TargetRect(LONG(vp.X), LONG(vp.Y), LONG(vp.X + vp.Width), LONG(vp.Y + vp.Height));
    // Nothing lands outside the viewport, whatever the primitive.
    gl_.Viewport(r.left, r.top, r.right - r.left, r.bottom - r.top);
    gl_.Scissor(r.left, r.top, r.right - r.left, r.bottom - r.top);
    gl_.Enable(GL_SCISSOR_TEST, true);
    gl_.DepthRange(vp.MinZ, vp.MaxZ);

    bool depth = rs[D3DRS_ZENABLE] != D3DZB_FALSE && depthStencil_ != nullptr;
    gl_.Enable(GL_DEPTH_TEST, depth);
    gl_.DepthFunc(CompareFunction(rs[D3DRS_ZFUNC]));
    gl_.DepthMask(rs[D3DRS_ZWRITEENABLE] != 0);

    bool stencil = rs[D3DRS_STENCILENABLE] && depthStencil_ &&
                   DepthFormatHasStencil(depthStencil_->Desc().Format);
    gl_.Enable(GL_STENCIL_TEST, stencil);
    if (stencil) {
        gl_.StencilFunc(CompareFunction(rs[D3DRS_STENCILFUNC]),
                        static_cast<GLint>(rs[D3DRS_STENCILREF]), rs[D3DRS_STENCILMASK]);
        gl_.StencilOp(StencilOperation(rs[D3DRS_STENCILFAIL]),
                      StencilOperation(rs[D3DRS_STENCILZFAIL]),
                      StencilOperation(rs[D3DRS_STENCILPASS]));
        gl_.StencilMask(rs[D3DRS_STENCILWRITEMASK]);
    }

    DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
    // The BOTH factors set the destination factor too.
    if (src == D3DBLEND_BOTHSRCALPHA || src == D3DBLEND_BOTHINVSRCALPHA)
        gl_.BlendFunc(BlendFactor(src, true), BlendFactor(src, false));
    else
        gl_.BlendFunc(BlendFactor(src, true), BlendFactor(dst, false));
    gl_.BlendEquation(BlendEquation(rs[D3DRS_BLENDOP]));

    // Row 0 on top turns screen orientation around: clockwise on screen is
    // counter-clockwise (front) for OpenGL.
    gl_.Enable(GL_CULL_FACE, rs[D3DRS_CULLMODE] != D3DCULL_NONE);
    if (rs[D3DRS_CULLMODE] != D3DCULL_NONE) gl_.CullFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK);
    switch (rs[D3DRS_FILLMODE]) {
        case D3DFILL_POINT: gl_.PolygonMode(GL_POINT); break;
        case D3DFILL_WIREFRAME: gl_.PolygonMode(GL_LINE); break;
        default: gl_.PolygonMode(GL_FILL); break;
    }
    DWORD mask = rs[D3DRS_COLORWRITEENABLE];
    gl_.ColorMask((mask & D3DCOLORWRITEENABLE_RED) != 0, (mask & D3DCOLORWRITEENABLE_GREEN) != 0,
                  (mask & D3DCOLORWRITEENABLE_BLUE) != 0, (mask & D3DCOLORWRITEENABLE_ALPHA) != 0);
    // Larger biases pull nearer the viewer, by whole depth-buffer units.
    const bool bias = rs[D3DRS_ZBIAS] != 0;
    gl_.Enable(GL_POLYGON_OFFSET_FILL, bias);
    gl_.Enable(GL_POLYGON_OFFSET_LINE, bias);
    gl_.Enable(GL_POLYGON_OFFSET_POINT, bias);
    if (bias) gl_.PolygonOffset(-static_cast<float>(rs[D3DRS_ZBIAS]));
    fixedStateDirty_ = false;
}

void Device::ApplySamplers() {
    const GlCapabilities& caps = ProbeGl();
    for (unsigned i = 0; i < kMaxTextureStages; ++i) {
        if (!samplerDirty_[i]) continue;
        const DWORD* ts = stageStates_[i];
        GLuint s = samplers_[i];
        gl::SamplerParameteri(s, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSU])));
        gl::SamplerParameteri(s, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSV])));
        gl::SamplerParameteri(s, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressMode(ts[D3DTSS_ADDRESSW])));
        float border[4];
        ColorToFloats(ts[D3DTSS_BORDERCOLOR], border);
        gl::SamplerParameterfv(s, GL_TEXTURE_BORDER_COLOR, border);
        bool magPoint = ts[D3DTSS_MAGFILTER] == D3DTEXF_POINT;
        bool minPoint = ts[D3DTSS_MINFILTER] == D3DTEXF_POINT;
        gl::SamplerParameteri(s, GL_TEXTURE_MAG_FILTER, magPoint ? GL_NEAREST : GL_LINEAR);
        GLenum minFilter = minPoint ? GL_NEAREST : GL_LINEAR;
        if (ts[D3DTSS_MIPFILTER] == D3DTEXF_POINT)
            minFilter = minPoint ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
        else if (ts[D3DTSS_MIPFILTER] == D3DTEXF_LINEAR)
            minFilter = minPoint ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
        gl::SamplerParameteri(s, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
        gl::SamplerParameterf(s, GL_TEXTURE_LOD_BIAS, BitsFloat(ts[D3DTSS_MIPMAPLODBIAS]));
        gl::SamplerParameterf(s, GL_TEXTURE_MIN_LOD, static_cast<float>(ts[D3DTSS_MAXMIPLEVEL]));
        if (caps.anisotropy) {
            bool aniso = ts[D3DTSS_MAGFILTER] == D3DTEXF_ANISOTROPIC ||
                         ts[D3DTSS_MINFILTER] == D3DTEXF_ANISOTROPIC;
            float amount = aniso ? std::min(static_cast<float>(ts[D3DTSS_MAXANISOTROPY]),
                                            caps.maxAnisotropy)
                                 : 1.0f;
            gl::SamplerParameterf(s, GL_TEXTURE_MAX_ANISOTROPY, amount);
        }
        samplerDirty_[i] = false;
    }
}

void Device::UploadUniforms(Program& p) {
    UploadTransformUniforms(p);
    if (!p.key.lighting) {
        p.uploaded[kMaterialUniforms] = versions_[kMaterialUniforms];
        p.uploaded[kLightUniforms] = versions_[kLightUniforms];
    }
    UploadMaterialUniforms(p);
    if (p.uploaded[kLightUniforms] != versions_[kLightUniforms] && p.key.lightCount > 0) UploadLights(p);
    p.uploaded[kLightUniforms] = versions_[kLightUniforms];
    UploadFogUniforms(p);
    UploadMiscUniforms(p);
    UploadTexelNudges(p);
}

void Device::UploadTransformUniforms(Program& p) {
    if (p.uploaded[kTransformUniforms] == versions_[kTransformUniforms]) return;
    D3DMATRIX worldView;
    NolMatrixMultiply(&worldView, worlds_[0], view_);
    p.values.SendMatrix4(p.worldView, &worldView._11);
    p.values.SendMatrix4(p.projection, &projection_._11);
    if (p.normalMatrix >= 0) {
        float normal[9];
        NormalMatrix(worldView, normal);
        p.values.SendMatrix3(p.normalMatrix, normal);
    }
    const D3DVIEWPORT8& vp = viewport_;
    const float screen[4] = {static_cast<float>(vp.X), static_cast<float>(vp.Y),
                             2.0f / static_cast<float>(vp.Width),
                             2.0f / static_cast<float>(vp.Height)};
    p.values.Send4fv(p.screen, 1, screen);
    // Pre-transformed z is the depth itself, whatever MinZ and MaxZ map it to.
    float range = vp.MaxZ - vp.MinZ;
    const float rhwDepth[2] = {range > 0.0f ? 2.0f / range : 0.0f,
                               range > 0.0f ? -2.0f * vp.MinZ / range - 1.0f : -1.0f};
    p.values.Send2fv(p.rhwDepth, rhwDepth);
    const float offset[2] = {1.0f / static_cast<float>(vp.Width),
                             1.0f / static_cast<float>(vp.Height)};
    p.values.Send2fv(p.pixelOffset, offset);
    p.uploaded[kTransformUniforms] = versions_[kTransformUniforms];
}

void Device::UploadMaterialUniforms(Program& p) {
    if (p.uploaded[kMaterialUniforms] == versions_[kMaterialUniforms]) return;
    p.values.Send4fv(p.materialDiffuse, 1, &material_.Diffuse.r);
    p.values.Send4fv(p.materialAmbient, 1, &material_.Ambient.r);
    p.values.Send4fv(p.materialSpecular, 1, &material_.Specular.r);
    p.values.Send4fv(p.materialEmissive, 1, &material_.Emissive.r);
    p.values.Send1f(p.materialPower, material_.Power);
    float ambient[4];
    ColorToFloats(renderStates_[D3DRS_AMBIENT], ambient);
    p.values.Send4fv(p.globalAmbient, 1, ambient);
    p.uploaded[kMaterialUniforms] = versions_[kMaterialUniforms];
}

// The active lights, positions and directions in eye space, one array per
// uniform.
void Device::UploadLights(Program& p) {
    const int n = p.key.lightCount;
    float diffuse[8][4], specular[8][4], ambient[8][4], position[8][3], direction[8][3],
        attenuation[8][4], spot[8][3];
    for (int i = 0; i < n; ++i) {
        const D3DLIGHT8& l = lights_.at(activeLights_[i]).light;
        std::memcpy(diffuse[i], &l.Diffuse, sizeof diffuse[i]);
        std::memcpy(specular[i], &l.Specular, sizeof specular[i]);
        std::memcpy(ambient[i], &l.Ambient, sizeof ambient[i]);
        EyePoint(view_, l.Position, position[i]);
        EyeDirection(view_, l.Direction, direction[i]);
        attenuation[i][0] = l.Attenuation0;
        attenuation[i][1] = l.Attenuation1;
        attenuation[i][2] = l.Attenuation2;
        attenuation[i][3] = l.Range;
        spot[i][0] = std::cos(l.Theta * 0.5f);
        spot[i][1] = std::cos(l.Phi * 0.5f);
        spot[i][2] = l.Falloff;
    }
    p.values.Send4fv(p.lightDiffuse, n, diffuse[0]);
    p.values.Send4fv(p.lightSpecular, n, specular[0]);
    p.values.Send4fv(p.lightAmbient, n, ambient[0]);
    p.values.Send3fv(p.lightPosition, n, position[0]);
    p.values.Send3fv(p.lightDirection, n, direction[0]);
    p.values.Send4fv(p.lightAttenuation, n, attenuation[0]);
    p.values.Send3fv(p.lightSpot, n, spot[0]);
}

void Device::UploadFogUniforms(Program& p) {
    if (p.uploaded[kFogUniforms] == versions_[kFogUniforms]) return;
    float start = BitsFloat(renderStates_[D3DRS_FOGSTART]);
    float end = BitsFloat(renderStates_[D3DRS_FOGEND]);
    // A zero-length linear ramp is a step at the end distance.
    const float params[3] = {end, end != start ? 1.0f / (end - start) : 1e30f,
                             BitsFloat(renderStates_[D3DRS_FOGDENSITY])};
    p.values.Send3fv(p.fogParams, 1, params);
    float color[4];
    ColorToFloats(renderStates_[D3DRS_FOGCOLOR], color);
    p.values.Send4fv(p.fogColor, 1, color);
    p.uploaded[kFogUniforms] = versions_[kFogUniforms];
}

// Texture factor, alpha reference and point size.
void Device::UploadMiscUniforms(Program& p) {
    if (p.uploaded[kMiscUniforms] == versions_[kMiscUniforms]) return;
    float factor[4];
    ColorToFloats(renderStates_[D3DRS_TEXTUREFACTOR], factor);
    p.values.Send4fv(p.textureFactor, 1, factor);
    p.values.Send1f(p.alphaRef, static_cast<float>(renderStates_[D3DRS_ALPHAREF]));
    float size = BitsFloat(renderStates_[D3DRS_POINTSIZE]);
    float lo = BitsFloat(renderStates_[D3DRS_POINTSIZE_MIN]);
    float hi = std::min(BitsFloat(renderStates_[D3DRS_POINTSIZE_MAX]), ProbeGl().maxPointSize);
    size = std::isfinite(size) ? std::max(1.0f, std::min(std::max(size, lo), hi)) : 1.0f;
    p.values.Send1f(p.pointSize, size);
    p.uploaded[kMiscUniforms] = versions_[kMiscUniforms];
}

// Point sampling at a coordinate that lies exactly on a texel edge (where a
// quad placed on pixel centres puts every sample) must take the texel to its
// lower right, as the hardware's snapping does; interpolation can land a hair
// short of the edge, so such samples move by 1/512 of a texel.
void Device::UploadTexelNudges(Program& p) {
    for (unsigned i = 0; i < kMaxTextureStages; ++i) {
        if (p.texelNudge[i] < 0) continue;
        const DWORD* ts = stageStates_[i];
        bool point = ts[D3DTSS_MAGFILTER] == D3DTEXF_POINT || ts[D3DTSS_MINFILTER] == D3DTEXF_POINT;
        D3DSURFACE_DESC desc{};
        float nudge[2] = {0.0f, 0.0f};
        if (point && textures_[i] && SUCCEEDED(textures_[i]->GetLevelDesc(0, &desc)) && desc.Width && desc.Height) {
            nudge[0] = 1.0f / (512.0f * static_cast<float>(desc.Width));
            nudge[1] = 1.0f / (512.0f * static_cast<float>(desc.Height));
        }
        p.values.Send2fv(p.texelNudge[i], nudge);
    }
}

}  // namespace nol::d3d8
