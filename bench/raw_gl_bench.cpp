// The draws of d3d8_bench made with OpenGL 3.3 calls alone: what the Direct3D
// stand-in's draw-call throughput is measured against (bench/draw_ratio.sh runs
// the two and prints the ratios). Needs a display (DISPLAY or Xvfb).
//
// Kept to the same work: a hidden 640 x 480 window with no vsync, a 16 x 16
// colour target, six vertices of position and packed colour per draw from one
// buffer, batches of 100 draws each ending with a read-back of the target, the
// same entry points loaded through SDL, the same llvmpipe settings. Each draw
// makes only the GL calls the layer's draw needs at the least: the draw itself;
// the matrix upload before it when the world matrix changes; the program switch
// when the alpha test is toggled; the vertices' upload for a draw from user memory.
#include <benchmark/benchmark.h>

#include <SDL.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "d3d8/gl_api.h"
#include "win32/sdl_bridge.h"

namespace gl = nol::d3d8::gl;

namespace {

struct Vertex {
    float x, y, z;
    uint32_t color;  // ARGB, as D3DCOLOR: B, G, R, A in memory
};
const Vertex kQuad[6] = {{-1, -1, 0.5f, 0xFFFF0000u}, {-1, 1, 0.5f, 0xFF00FF00u}, {1, 1, 0.5f, 0xFF0000FFu},
                         {-1, -1, 0.5f, 0xFFFF0000u}, {1, 1, 0.5f, 0xFF0000FFu},  {1, -1, 0.5f, 0xFFFFFFFFu}};

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec3 position;
layout(location = 2) in vec4 diffuse;
uniform mat4 worldViewProjection;
out vec4 colour;
void main() {
    gl_Position = worldViewProjection * vec4(position, 1.0);
    colour = diffuse;
})";
const char* const kFragmentShader = R"(#version 330 core
in vec4 colour;
out vec4 result;
void main() { result = colour; })";
const char* const kAlphaTestedFragmentShader = R"(#version 330 core
in vec4 colour;
uniform float alphaReference;
out vec4 result;
void main() {
    if (!(colour.a > alphaReference)) discard;
    result = colour;
})";

GLuint Compile(GLenum kind, const char* source) {
    GLuint s = gl::CreateShader(kind);
    gl::ShaderSource(s, 1, &source, nullptr);
    gl::CompileShader(s);
    return s;
}

GLuint Link(const char* fragment) {
    GLuint p = gl::CreateProgram(), v = Compile(GL_VERTEX_SHADER, kVertexShader),
           f = Compile(GL_FRAGMENT_SHADER, fragment);
    gl::AttachShader(p, v);
    gl::AttachShader(p, f);
    gl::LinkProgram(p);
    gl::DeleteShader(v);
    gl::DeleteShader(f);
    GLint ok = 0;
    gl::GetProgramiv(p, GL_LINK_STATUS, &ok);
    return ok ? p : 0;
}

const float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

struct RawGl {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    GLuint target = 0, fbo = 0, program = 0, alphaTested = 0;
    GLuint vao = 0, vb = 0, upVao = 0, upVb = 0;
    GLint matrix = -1;
    bool ok = false;

    RawGl() {
        if (!NolInitSdlVideo()) return;  // with the layer's llvmpipe settings
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
        window = SDL_CreateWindow("", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        if (!window || !(context = SDL_GL_CreateContext(window)) || !gl::Load()) return;
        SDL_GL_SetSwapInterval(0);
        gl::GenTextures(1, &target);
        gl::BindTexture(GL_TEXTURE_2D, target);
        gl::TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        gl::GenFramebuffers(1, &fbo);
        gl::BindFramebuffer(GL_FRAMEBUFFER, fbo);
        gl::FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
        if (gl::CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return;
        gl::Viewport(0, 0, 16, 16);
        program = Link(kFragmentShader);
        alphaTested = Link(kAlphaTestedFragmentShader);
        if (!program || !alphaTested) return;
        for (GLuint p : {program, alphaTested}) {
            gl::UseProgram(p);
            gl::UniformMatrix4fv(gl::GetUniformLocation(p, "worldViewProjection"), 1, GL_FALSE, kIdentity);
        }
        gl::Uniform1f(gl::GetUniformLocation(alphaTested, "alphaReference"), 0.0f);
        gl::UseProgram(program);
        matrix = gl::GetUniformLocation(program, "worldViewProjection");
        MakeVertexArray(&vao, &vb, GL_STATIC_DRAW);
        MakeVertexArray(&upVao, &upVb, GL_STREAM_DRAW);
        gl::BindVertexArray(vao);
        ok = true;
    }

    static void MakeVertexArray(GLuint* array, GLuint* buffer, GLenum usage) {
        gl::GenVertexArrays(1, array);
        gl::BindVertexArray(*array);
        gl::GenBuffers(1, buffer);
        gl::BindBuffer(GL_ARRAY_BUFFER, *buffer);
        gl::BufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, usage);
        gl::EnableVertexAttribArray(0);
        gl::VertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        gl::EnableVertexAttribArray(2);
        gl::VertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex),
                                reinterpret_cast<void*>(offsetof(Vertex, color)));
    }

    // Waits for everything drawn so far, as the layer's read-back of the target does.
    void Finish() {
        uint32_t pixels[16 * 16];
        gl::ReadPixels(0, 0, 16, 16, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, pixels);
        benchmark::DoNotOptimize(pixels);
    }

    ~RawGl() {
        if (context) {
            const GLuint arrays[] = {vao, upVao}, buffers[] = {vb, upVb};
            gl::DeleteVertexArrays(2, arrays);
            gl::DeleteBuffers(2, buffers);
            gl::DeleteProgram(program);
            gl::DeleteProgram(alphaTested);
            gl::DeleteFramebuffers(1, &fbo);
            gl::DeleteTextures(1, &target);
            SDL_GL_DeleteContext(context);
        }
        if (window) SDL_DestroyWindow(window);
    }
};

RawGl& Shared() {
    static RawGl raw;
    return raw;
}

constexpr int kBatch = 100;

void BM_DrawPrimitiveSmallBatch(benchmark::State& state) {
    RawGl& g = Shared();
    if (!g.ok) return state.SkipWithError("no OpenGL 3.3 context (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) gl::DrawArrays(GL_TRIANGLES, 0, 6);
        g.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("raw GL draws; 2 triangles each from a static buffer");
}
BENCHMARK(BM_DrawPrimitiveSmallBatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DrawPrimitiveUPSmallBatch(benchmark::State& state) {
    RawGl& g = Shared();
    if (!g.ok) return state.SkipWithError("no OpenGL 3.3 context (no display?)");
    gl::BindVertexArray(g.upVao);
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            gl::BufferData(GL_ARRAY_BUFFER, sizeof kQuad, kQuad, GL_STREAM_DRAW);
            gl::DrawArrays(GL_TRIANGLES, 0, 6);
        }
        g.Finish();
    }
    gl::BindVertexArray(g.vao);
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("raw GL draws; 2 triangles each uploaded before the draw");
}
BENCHMARK(BM_DrawPrimitiveUPSmallBatch)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DrawWithTransformChange(benchmark::State& state) {
    RawGl& g = Shared();
    if (!g.ok) return state.SkipWithError("no OpenGL 3.3 context (no display?)");
    float world[16];
    std::copy(std::begin(kIdentity), std::end(kIdentity), world);
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            world[12] = static_cast<float>(i % 3) * 0.01f;
            gl::UniformMatrix4fv(g.matrix, 1, GL_FALSE, world);
            gl::DrawArrays(GL_TRIANGLES, 0, 6);
        }
        g.Finish();
    }
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("raw GL draws; a matrix upload before each");
}
BENCHMARK(BM_DrawWithTransformChange)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StateChangeBetweenCachedPrograms(benchmark::State& state) {
    RawGl& g = Shared();
    if (!g.ok) return state.SkipWithError("no OpenGL 3.3 context (no display?)");
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            gl::UseProgram(i & 1 ? g.alphaTested : g.program);
            gl::DrawArrays(GL_TRIANGLES, 0, 6);
        }
        g.Finish();
    }
    gl::UseProgram(g.program);
    state.SetItemsProcessed(state.iterations() * kBatch);
    state.SetLabel("raw GL draws; program switched before each");
}
BENCHMARK(BM_StateChangeBetweenCachedPrograms)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
