// Which way includes may point. The source tree is read as text: every #include of
// the platform layer, the framework and the two programs (the game and the demo) is
// resolved against the tree and
// checked against the layering rules, and each breach is reported with its file and
// line.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "support/include_scan.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const char* const kFramework[] = {"shell", "scene", "render", "input", "sound"};
const char* const kSourceDirs[] = {"platform", "shell", "game", "demo", "scene", "render", "input", "sound"};
// The programs on the framework, each with the one file outside its folder that may
// include it (its entry point; the demo's lives in its own folder).
struct Program {
    const char* folder;
    const char* entry;
};
const Program kPrograms[] = {{"game", "shell/main.cpp"}, {"demo", "demo/main.cpp"}};
// The platform's folders from the bottom up. Every folder may use the private headers
// of base; every folder but base those of com (the COM base and class registry). Any
// other private header of another folder only along a declared "built on" edge,
// which points down this order.
const char* const kPlatformOrder[] = {"base",  "com",     "math",    "gdi",    "win32", "d3d8", "d3dx8",
                                      "dinput8", "xinput", "dsound8", "dmusic", "imm", "dshow", "comdlg"};
struct BuiltOn {
    const char* folder;
    const char* below;
};
const BuiltOn kBuiltOn[] = {
    {"win32", "gdi"},     // the message box lays out its text with the glyph source
    {"d3d8", "math"},     {"d3d8", "win32"},   // the window's GL context and display
    {"d3dx8", "d3d8"},    {"d3dx8", "math"},   {"d3dx8", "gdi"},  // font glyphs
    {"dinput8", "win32"},  // SDL's events reach input through the message pump
    {"xinput", "win32"},   // and pads plugged in and pulled out the pad slots
    {"imm", "win32"},      // and the input method's text the input contexts
    {"dmusic", "dsound8"},  // the synthesiser plays into the sound device's output
    {"comdlg", "win32"},  // the owner window's SDL events while a chooser is up
    {"comdlg", "d3d8"},   // the owner's picture put back when it is uncovered
    {"dshow", "win32"},   // the video window goes into the owner's SDL window
};
// Libraries that only the platform layer may see.
const char* const kLibraryPrefixes[] = {"SDL", "GL/", "GLES", "EGL/", "AL/", "fluidsynth", "gst/",
                                        "ft2build.h", "freetype/", "fontconfig/", "glib", "gio/", "X11/"};

struct Violation {
    std::string file;  // relative to the root
    int line = 0;
    std::string include;  // as written: "name" or <name>
    std::string reason;
};

struct ScanResult {
    int files = 0;
    int includes = 0;
    std::vector<Violation> violations;
};

bool StartsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::string TopDir(const std::string& rel) { return rel.substr(0, rel.find('/')); }

bool IsFramework(const std::string& rel) {
    std::string top = TopDir(rel);
    return std::any_of(std::begin(kFramework), std::end(kFramework),
                       [&](const char* d) { return top == d; });
}

// The program a file belongs to, or null.
const Program* ProgramOf(const std::string& rel) {
    for (const Program& p : kPrograms)
        if (TopDir(rel) == p.folder) return &p;
    return nullptr;
}
bool IsPlatform(const std::string& rel) { return TopDir(rel) == "platform"; }
bool IsPlatformPublic(const std::string& rel) { return StartsWith(rel, "platform/include/"); }
bool IsPlatformPrivate(const std::string& rel) { return IsPlatform(rel) && !IsPlatformPublic(rel); }

bool IsLibraryHeader(const std::string& name) {
    return std::any_of(std::begin(kLibraryPrefixes), std::end(kLibraryPrefixes),
                       [&](const char* p) { return StartsWith(name, p); });
}

int PlatformRank(const std::string& folder) {
    for (size_t i = 0; i < std::size(kPlatformOrder); ++i)
        if (folder == kPlatformOrder[i]) return (int)i;
    return -1;
}

// The folder of a private platform file ("d3d8" for platform/d3d8/device.cpp).
std::string PlatformFolder(const std::string& rel) {
    std::string rest = rel.substr(std::string("platform/").size());
    return rest.substr(0, rest.find('/'));
}

// Why one private platform file may not include another's private header, or "".
std::string InnerOrderBreach(const std::string& from, const std::string& target) {
    std::string a = PlatformFolder(from), b = PlatformFolder(target);
    if (PlatformRank(a) < 0) return "platform/" + a + " is missing from the platform's order";
    if (a == b || b == "base" || (b == "com" && a != "base")) return "";
    for (const BuiltOn& edge : kBuiltOn)
        if (a == edge.folder && b == edge.below) return "";
    if (PlatformRank(b) > PlatformRank(a))
        return "platform/" + a + " reaches up into platform/" + b;
    return "platform/" + a + " is not built on platform/" + b + " (a private header of another backend)";
}

// Every rule an include from `from` of `name` (resolved to `target`) breaks.
std::vector<std::string> Breaches(const std::string& from, const std::string& name,
                                  const std::string& target) {
    std::vector<std::string> reasons;
    const Program* program = ProgramOf(target);
    bool fromAbove = IsFramework(from) || ProgramOf(from);
    if (IsPlatform(from) && (IsFramework(target) || program))
        reasons.push_back("the platform layer includes the framework or a program");
    if (program && !IsPlatform(from) && ProgramOf(from) != program && from != program->entry)
        reasons.push_back(std::string("only the entry point ") + program->entry + " includes the " +
                          program->folder);
    if (StartsWith(from, "platform/d3d8/") &&
        (StartsWith(target, "platform/d3dx8/") || StartsWith(target, "platform/include/d3dx8/")))
        reasons.push_back("Direct3D includes D3DX, which is built on it");
    if ((fromAbove || IsPlatformPublic(from)) && IsLibraryHeader(name))
        reasons.push_back("a library header above the platform layer's internals");
    if (fromAbove && IsPlatformPrivate(target))
        reasons.push_back("a private platform header (only platform/include is public)");
    if (IsPlatformPublic(from) && IsPlatformPrivate(target))
        reasons.push_back("a public platform header includes a private one");
    if (IsPlatformPrivate(from) && IsPlatformPrivate(target)) {
        std::string inner = InnerOrderBreach(from, target);
        if (!inner.empty()) reasons.push_back(inner);
    }
    return reasons;
}

ScanResult ScanTree(const fs::path& root) {
    ScanResult result;
    std::vector<std::string> dirs(std::begin(kSourceDirs), std::end(kSourceDirs));
    for (const std::string& rel : ListSourceFiles(root, dirs)) {
        ++result.files;
        for (const IncludeDirective& d : ReadIncludes(root, rel)) {
            ++result.includes;
            std::string written = d.quoted ? "\"" + d.name + "\"" : "<" + d.name + ">";
            for (std::string& reason : Breaches(rel, d.name, d.target))
                result.violations.push_back(Violation{rel, d.line, written, std::move(reason)});
        }
    }
    return result;
}

std::string Describe(const Violation& v) {
    return v.file + ":" + std::to_string(v.line) + ": #include " + v.include + ": " + v.reason;
}

TEST(Layering, EveryIncludeOfTheSourceTreePointsDownTheLayers) {
    ScanResult result = ScanTree(NOL_SOURCE_DIR);
    // A wrong root would find nothing and prove nothing.
    ASSERT_GT(result.files, 100) << "source tree not found at " << NOL_SOURCE_DIR;
    ASSERT_GT(result.includes, 500);
    for (const Violation& v : result.violations) ADD_FAILURE() << Describe(v);
}

TEST(Layering, ThePlatformsBuiltOnEdgesPointDownItsOrder) {
    for (const BuiltOn& edge : kBuiltOn) {
        ASSERT_GE(PlatformRank(edge.below), 0) << edge.below;
        EXPECT_LT(PlatformRank(edge.below), PlatformRank(edge.folder))
            << edge.folder << " is declared built on " << edge.below << ", which is above it";
    }
}

// A small tree with one breach of each rule, and includes that are allowed beside
// them, written line by line so that the reported lines are known.
class LayeringRules : public ::testing::Test {
protected:
    TempDir dir;

    void Write(const std::string& rel, const std::vector<std::string>& lines) {
        fs::path path = fs::path(dir.path) / rel;
        fs::create_directories(path.parent_path());
        std::ofstream out(path);
        for (const std::string& line : lines) out << line << "\n";
    }

    std::set<std::string> Found() {
        std::set<std::string> found;
        for (const Violation& v : ScanTree(dir.path).violations)
            found.insert(v.file + ":" + std::to_string(v.line));
        return found;
    }

    void SetUp() override {
        Write("platform/include/win32/windows.h", {"#pragma once"});
        Write("platform/include/d3d8/d3d8.h", {"#pragma once", "#include \"win32/windows.h\""});
        Write("platform/include/d3dx8/d3dx8math.h", {"#pragma once", "#include \"d3d8/d3d8.h\""});
        Write("platform/win32/sdl_bridge.h", {"#pragma once", "#include <SDL.h>"});
        Write("platform/d3d8/formats.h", {"#pragma once"});
        Write("platform/base/platform_log.h", {"#pragma once"});
        Write("platform/com/com_object.h", {"#pragma once"});
        Write("platform/dsound8/openal_output.h", {"#pragma once"});
        Write("shell/log.h", {"#pragma once"});
        Write("game/game.h", {"#pragma once", "#include \"shell/log.h\""});
        Write("shell/main.cpp", {"#include \"game/game.h\""});
        Write("demo/demo.h", {"#pragma once", "#include \"shell/log.h\""});
        Write("demo/main.cpp", {"#include \"demo/demo.h\""});
    }
};

TEST_F(LayeringRules, AWellLayeredTreeHasNoBreach) {
    Write("platform/d3dx8/d3dx8tex.cpp",
          {"#include \"d3d8/formats.h\"", "#include \"d3dx8/d3dx8math.h\""});
    Write("render/frame.cpp", {"#include <vector>", "#include \"d3dx8/d3dx8math.h\"",
                               "#include \"shell/log.h\"", "#include \"../shell/log.h\""});
    Write("game/car.cpp", {"#include \"game.h\"", "#include \"shell/log.h\""});
    Write("demo/screen.cpp", {"#include \"demo/demo.h\"", "#include \"d3dx8/d3dx8math.h\""});
    Write("platform/dmusic/engine.cpp", {"#include \"dsound8/openal_output.h\"",
                                         "#include \"com/com_object.h\"",
                                         "#include \"base/platform_log.h\""});
    Write("platform/com/registry.cpp", {"#include \"base/platform_log.h\""});
    EXPECT_EQ(Found(), std::set<std::string>{});
}

TEST_F(LayeringRules, EachBreachIsReportedAtItsFileAndLine) {
    Write("platform/win32/window.cpp", {"#include \"win32/sdl_bridge.h\"",
                                        "#include \"shell/log.h\"",           // platform -> shell
                                        "#include \"../../game/game.h\""});   // platform -> game
    Write("platform/d3d8/device.cpp", {"#include \"d3d8/formats.h\"",
                                       "#include \"d3dx8/d3dx8math.h\""});    // d3d8 -> d3dx8
    Write("render/frame.cpp", {"// #include \"game/game.h\" in a line comment is no include",
                               "#include \"game/game.h\"",                     // game outside main
                               "#include <SDL.h>",                            // library
                               "  #  include <GL/gl.h>",                      // library
                               "#include \"win32/sdl_bridge.h\"",             // private platform
                               "#include \"platform/d3d8/formats.h\""});     // private platform
    Write("scene/node.h", {"/*", "#include <SDL.h>", "*/", "#include <fontconfig/fontconfig.h>"});
    Write("demo/screen.cpp", {"#include \"demo/demo.h\"",
                              "#include \"game/game.h\"",      // one program in another
                              "#include \"win32/sdl_bridge.h\""});  // private platform
    Write("shell/window.cpp", {"#include \"demo/demo.h\""});  // the framework in the demo
    Write("platform/com/registry.cpp", {"#include \"base/platform_log.h\"",
                                        "#include \"dsound8/openal_output.h\""});  // up the order
    Write("platform/base/log.cpp", {"#include \"com/com_object.h\""});  // base is below com
    Write("platform/dinput8/keys.cpp", {"#include \"win32/sdl_bridge.h\"",
                                        "#include \"dsound8/openal_output.h\""});  // not built on
    Write("platform/dshow2/graph.cpp", {"#include \"base/platform_log.h\""});  // not in the order
    Write("platform/include/d3d8/d3d8caps.h", {"#include \"d3d8/formats.h\"",   // public -> private
                                               "#include <AL/al.h>"});
    EXPECT_EQ(Found(), (std::set<std::string>{
                           "platform/win32/window.cpp:2", "platform/win32/window.cpp:3",
                           "platform/d3d8/device.cpp:2", "render/frame.cpp:2", "render/frame.cpp:3",
                           "render/frame.cpp:4", "render/frame.cpp:5", "render/frame.cpp:6",
                           "scene/node.h:4", "platform/include/d3d8/d3d8caps.h:1",
                           "platform/include/d3d8/d3d8caps.h:2", "platform/com/registry.cpp:2",
                           "platform/base/log.cpp:1", "platform/dinput8/keys.cpp:2",
                           "platform/dshow2/graph.cpp:1", "demo/screen.cpp:2", "demo/screen.cpp:3",
                           "shell/window.cpp:1"}));
}

TEST_F(LayeringRules, TheReportNamesTheFileTheLineTheIncludeAndTheRule) {
    Write("input/mouse.cpp",
          {"#include \"shell/log.h\"", "#include \"d3d8/formats.h\"", "#include <SDL2/SDL.h>"});
    ScanResult result = ScanTree(dir.path);
    ASSERT_EQ(result.violations.size(), 2u);
    EXPECT_EQ(Describe(result.violations[0]),
              "input/mouse.cpp:2: #include \"d3d8/formats.h\": a private platform header "
              "(only platform/include is public)");
    EXPECT_EQ(Describe(result.violations[1]),
              "input/mouse.cpp:3: #include <SDL2/SDL.h>: a library header above the platform "
              "layer's internals");
}

}  // namespace
