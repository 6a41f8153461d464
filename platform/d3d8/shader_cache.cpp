#include "d3d8/shader_cache.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "base/platform_log.h"
#include "d3d8/gl_api.h"
#include "d3d8/shader_generator.h"

namespace nol::d3d8 {

namespace {

ShaderBreaker breaker = nullptr;

// A multi-line text (a compiler's message, a shader's source) as one log line per
// line, so that none is cut at the log's line length; numbered when asked, since
// compiler messages refer to source lines by number.
void LogLines(const char* text, bool numbered) {
    int number = 1;
    for (const char* line = text; *line;) {
        const char* end = std::strchr(line, '\n');
        int length = end ? (int)(end - line) : (int)std::strlen(line);
        if (numbered)
            NolLog("%4d  %.*s\n", number++, length, line);
        else
            NolLog("  %.*s\n", length, line);
        line += length + (end ? 1 : 0);
    }
}

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
        NolLog("Direct3D: generated %s shader does not compile; its state draws nothing:\n",
               type == GL_VERTEX_SHADER ? "vertex" : "fragment");
        LogLines(log, false);
        LogLines(text, true);
        gl::DeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

void SetShaderBreaker(ShaderBreaker breaks) { breaker = breaks; }

ShaderCache::~ShaderCache() = default;

Program* ShaderCache::Get(const ShaderKey& key) {
    std::string bytes(key.Bytes());
    auto found = programs_.find(bytes);
    if (found != programs_.end()) return found->second.get();
    if (failed_.count(bytes)) return nullptr;

    std::string fragment = FragmentShaderSource(key);
    if (breaker && breaker(key)) fragment += "not GLSL\n";
    GLuint vs = Compile(GL_VERTEX_SHADER, VertexShaderSource(key));
    GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, fragment) : 0;
    if (!vs || !fs) {
        if (vs) gl::DeleteShader(vs);
        failed_.insert(std::move(bytes));
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
        NolLog("Direct3D: generated program does not link; its state draws nothing:\n");
        LogLines(log, false);
        gl::DeleteProgram(id);
        failed_.insert(std::move(bytes));
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
    // Samplers never change units: stage i samples unit i. The program in use is
    // the device's business: it is put back.
    GLint inUse = 0;
    gl::GetIntegerv(GL_CURRENT_PROGRAM, &inUse);
    gl::UseProgram(id);
    for (int i = 0; i < 8; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "u_texture%d", i);
        GLint l = loc(name);
        if (l >= 0) gl::Uniform1i(l, i);
        std::snprintf(name, sizeof name, "u_texelNudge%d", i);
        p.texelNudge[i] = loc(name);
    }
    gl::UseProgram(static_cast<GLuint>(inUse));
    Program* raw = program.get();
    programs_.emplace(std::move(bytes), std::move(program));
    return raw;
}

void ShaderCache::Clear(bool deleteObjects) {
    if (deleteObjects)
        for (auto& entry : programs_) gl::DeleteProgram(entry.second->id);
    programs_.clear();
    failed_.clear();
}

}  // namespace nol::d3d8
