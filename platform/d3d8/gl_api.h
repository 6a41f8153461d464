// The OpenGL 3.3 core entry points this layer calls, loaded through
// SDL_GL_GetProcAddress. SDL loads the GL library itself, so nothing links libGL
// and the names live in their own namespace (gl::Clear is glClear).
#pragma once

#include <GL/glcorearb.h>

#define NOL_GL_FUNCTIONS(X)                                                        \
    X(PFNGLGETSTRINGPROC, GetString)                                               \
    X(PFNGLGETSTRINGIPROC, GetStringi)                                             \
    X(PFNGLGETINTEGERVPROC, GetIntegerv)                                           \
    X(PFNGLGETFLOATVPROC, GetFloatv)                                               \
    X(PFNGLGETERRORPROC, GetError)                                                 \
    X(PFNGLENABLEPROC, Enable)                                                     \
    X(PFNGLDISABLEPROC, Disable)                                                   \
    X(PFNGLVIEWPORTPROC, Viewport)                                                 \
    X(PFNGLSCISSORPROC, Scissor)                                                   \
    X(PFNGLDEPTHRANGEPROC, DepthRange)                                             \
    X(PFNGLCLEARCOLORPROC, ClearColor)                                             \
    X(PFNGLCLEARDEPTHPROC, ClearDepth)                                             \
    X(PFNGLCLEARSTENCILPROC, ClearStencil)                                         \
    X(PFNGLCLEARPROC, Clear)                                                       \
    X(PFNGLCOLORMASKPROC, ColorMask)                                               \
    X(PFNGLDEPTHMASKPROC, DepthMask)                                               \
    X(PFNGLDEPTHFUNCPROC, DepthFunc)                                               \
    X(PFNGLSTENCILMASKPROC, StencilMask)                                           \
    X(PFNGLSTENCILFUNCPROC, StencilFunc)                                           \
    X(PFNGLSTENCILOPPROC, StencilOp)                                               \
    X(PFNGLBLENDFUNCPROC, BlendFunc)                                               \
    X(PFNGLBLENDEQUATIONPROC, BlendEquation)                                       \
    X(PFNGLCULLFACEPROC, CullFace)                                                 \
    X(PFNGLFRONTFACEPROC, FrontFace)                                               \
    X(PFNGLPOLYGONMODEPROC, PolygonMode)                                           \
    X(PFNGLPOLYGONOFFSETPROC, PolygonOffset)                                       \
    X(PFNGLPROVOKINGVERTEXPROC, ProvokingVertex)                                   \
    X(PFNGLPIXELSTOREIPROC, PixelStorei)                                           \
    X(PFNGLREADPIXELSPROC, ReadPixels)                                             \
    X(PFNGLREADBUFFERPROC, ReadBuffer)                                             \
    X(PFNGLDRAWBUFFERPROC, DrawBuffer)                                             \
    X(PFNGLFINISHPROC, Finish)                                                     \
    X(PFNGLFLUSHPROC, Flush)                                                       \
    X(PFNGLGENTEXTURESPROC, GenTextures)                                           \
    X(PFNGLDELETETEXTURESPROC, DeleteTextures)                                     \
    X(PFNGLBINDTEXTUREPROC, BindTexture)                                           \
    X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                       \
    X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                             \
    X(PFNGLTEXSUBIMAGE2DPROC, TexSubImage2D)                                       \
    X(PFNGLGETTEXIMAGEPROC, GetTexImage)                                           \
    X(PFNGLTEXPARAMETERIPROC, TexParameteri)                                       \
    X(PFNGLCOPYTEXSUBIMAGE2DPROC, CopyTexSubImage2D)                               \
    X(PFNGLGENSAMPLERSPROC, GenSamplers)                                           \
    X(PFNGLDELETESAMPLERSPROC, DeleteSamplers)                                     \
    X(PFNGLBINDSAMPLERPROC, BindSampler)                                           \
    X(PFNGLSAMPLERPARAMETERIPROC, SamplerParameteri)                               \
    X(PFNGLSAMPLERPARAMETERFPROC, SamplerParameterf)                               \
    X(PFNGLSAMPLERPARAMETERFVPROC, SamplerParameterfv)                             \
    X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                                   \
    X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                             \
    X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                                   \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)                         \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, FramebufferRenderbuffer)                   \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)                     \
    X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer)                                   \
    X(PFNGLGENRENDERBUFFERSPROC, GenRenderbuffers)                                 \
    X(PFNGLDELETERENDERBUFFERSPROC, DeleteRenderbuffers)                           \
    X(PFNGLBINDRENDERBUFFERPROC, BindRenderbuffer)                                 \
    X(PFNGLRENDERBUFFERSTORAGEPROC, RenderbufferStorage)                           \
    X(PFNGLGENBUFFERSPROC, GenBuffers)                                             \
    X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                                       \
    X(PFNGLBINDBUFFERPROC, BindBuffer)                                             \
    X(PFNGLBUFFERDATAPROC, BufferData)                                             \
    X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                                       \
    X(PFNGLGETBUFFERSUBDATAPROC, GetBufferSubData)                                 \
    X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                                   \
    X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                             \
    X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                                   \
    X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                           \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)                   \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, DisableVertexAttribArray)                 \
    X(PFNGLDRAWARRAYSPROC, DrawArrays)                                             \
    X(PFNGLDRAWELEMENTSBASEVERTEXPROC, DrawElementsBaseVertex)                     \
    X(PFNGLCREATESHADERPROC, CreateShader)                                         \
    X(PFNGLSHADERSOURCEPROC, ShaderSource)                                         \
    X(PFNGLCOMPILESHADERPROC, CompileShader)                                       \
    X(PFNGLGETSHADERIVPROC, GetShaderiv)                                           \
    X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                                 \
    X(PFNGLDELETESHADERPROC, DeleteShader)                                         \
    X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                       \
    X(PFNGLATTACHSHADERPROC, AttachShader)                                         \
    X(PFNGLLINKPROGRAMPROC, LinkProgram)                                           \
    X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                         \
    X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                               \
    X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                                       \
    X(PFNGLUSEPROGRAMPROC, UseProgram)                                             \
    X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                             \
    X(PFNGLUNIFORM1IPROC, Uniform1i)                                               \
    X(PFNGLUNIFORM1FPROC, Uniform1f)                                               \
    X(PFNGLUNIFORM1FVPROC, Uniform1fv)                                             \
    X(PFNGLUNIFORM2FVPROC, Uniform2fv)                                             \
    X(PFNGLUNIFORM3FVPROC, Uniform3fv)                                             \
    X(PFNGLUNIFORM4FVPROC, Uniform4fv)                                             \
    X(PFNGLUNIFORMMATRIX3FVPROC, UniformMatrix3fv)                                 \
    X(PFNGLUNIFORMMATRIX4FVPROC, UniformMatrix4fv)

namespace nol::d3d8::gl {

#define NOL_GL_DECLARE(type, name) extern type name;
NOL_GL_FUNCTIONS(NOL_GL_DECLARE)
#undef NOL_GL_DECLARE

// Loads every entry point; false (naming the first missing one in the log)
// when the GL library lacks any. Needs a current context.
bool Load();

// Whether the current context offers an extension.
bool HasExtension(const char* name);

}  // namespace nol::d3d8::gl
