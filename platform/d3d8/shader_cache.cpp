#include "d3d8/shader_cache.h"

#include <cstdio>
#include <vector>

#include "d3d8/gl_api.h"
#include "d3d8/shader_generator.h"

namespace d3d8 {

namespace {

GLuint Compile(GLenum type, const std::string& source) {
    GLuint shader = gl::CreateShader(type);
    const char* text = source.c_str();
    gl::ShaderSource(shader, 1, &text, nullptr);
    gl::CompileShader(shader);
    GLint ok = GL_FALSE;
    gl::GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        gl::GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "Direct3D: generated %s shader does not compile:\n%s\n%s\n",
                     type == GL_VERTEX_SHADER ? "vertex" : "fragment", log, text);
        gl::DeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

ShaderCache::~ShaderCache() = default;

Program* ShaderCache::Get(const ShaderKey& key) {
    std::string bytes(key.Bytes());
    auto found = programs_.find(bytes);
    if (found != programs_.end()) return found->second.get();

    GLuint vs = Compile(GL_VERTEX_SHADER, VertexShaderSource(key));
    GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, FragmentShaderSource(key)) : 0;
    if (!vs || !fs) {
        if (vs) gl::DeleteShader(vs);
        return nullptr;
    }
    GLuint id = gl::CreateProgram();
    gl::AttachShader(id, vs);
    gl::AttachShader(id, fs);
    gl::LinkProgram(id);
    gl::DeleteShader(vs);
    gl::DeleteShader(fs);
    GLint ok = GL_FALSE;
    gl::GetProgramiv(id, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[2048] = "";
        gl::GetProgramInfoLog(id, sizeof log, nullptr, log);
        std::fprintf(stderr, "Direct3D: generated program does not link:\n%s\n", log);
        gl::DeleteProgram(id);
        return nullptr;
    }

    auto program = std::make_unique<Program>();
    Program& p = *program;
    p.id = id;
    p.key = key;
    auto loc = [id](const char* name) { return gl::GetUniformLocation(id, name); };
    p.worldView = loc("u_worldView");
    p.projection = loc("u_projection");
    p.normalMatrix = loc("u_normalMatrix");
    p.screen = loc("u_screen");
    p.rhwDepth = loc("u_rhwDepth");
    p.pixelOffset = loc("u_pixelOffset");
    p.pointSize = loc("u_pointSize");
    p.materialDiffuse = loc("u_materialDiffuse");
    p.materialAmbient = loc("u_materialAmbient");
    p.materialSpecular = loc("u_materialSpecular");
    p.materialEmissive = loc("u_materialEmissive");
    p.materialPower = loc("u_materialPower");
    p.globalAmbient = loc("u_globalAmbient");
    p.lightDiffuse = loc("u_lightDiffuse");
    p.lightSpecular = loc("u_lightSpecular");
    p.lightAmbient = loc("u_lightAmbient");
    p.lightPosition = loc("u_lightPosition");
    p.lightDirection = loc("u_lightDirection");
    p.lightAttenuation = loc("u_lightAttenuation");
    p.lightSpot = loc("u_lightSpot");
    p.fogParams = loc("u_fogParams");
    p.fogColor = loc("u_fogColor");
    p.textureFactor = loc("u_textureFactor");
    p.alphaRef = loc("u_alphaRef");
    // Samplers never change units: stage i samples unit i.
    gl::UseProgram(id);
    for (int i = 0; i < 8; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "u_texture%d", i);
        GLint l = loc(name);
        if (l >= 0) gl::Uniform1i(l, i);
        std::snprintf(name, sizeof name, "u_texelNudge%d", i);
        p.texelNudge[i] = loc(name);
    }
    Program* raw = program.get();
    programs_.emplace(std::move(bytes), std::move(program));
    return raw;
}

void ShaderCache::Clear(bool deleteObjects) {
    if (deleteObjects)
        for (auto& entry : programs_) gl::DeleteProgram(entry.second->id);
    programs_.clear();
}

}  // namespace d3d8
