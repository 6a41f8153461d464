#include "gdi/face_lookup.h"

#include <fontconfig/fontconfig.h>

#include <map>

#include "base/codepage.h"

namespace nol::gdi {
namespace {

// Fontconfig's configuration, loaded once and kept for the life of the process.
FcConfig* Config() {
    static FcConfig* config = FcInitLoadConfigAndFonts();
    return config;
}

// The best match for a family (and, for the fallback, Japanese text).
FcPattern* Match(const std::string& familyUtf8, bool japanese) {
    FcConfig* config = Config();
    if (!config) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.c_str()));
    if (japanese) FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    return match;
}

std::string WithoutBlanks(const char* text) {
    std::string out;
    for (; *text; ++text)
        if (*text != ' ') out.push_back(*text);
    return out;
}

// Family names compare as fontconfig compares them: case and blanks do not count.
bool HasFamily(FcPattern* match, const std::string& familyUtf8) {
    const std::string wanted = WithoutBlanks(familyUtf8.c_str());
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i) {
        const std::string have = WithoutBlanks(reinterpret_cast<const char*>(family));
        if (FcStrCmpIgnoreCase(reinterpret_cast<const FcChar8*>(have.c_str()),
                               reinterpret_cast<const FcChar8*>(wanted.c_str())) == 0)
            return true;
    }
    return false;
}

bool FileOf(FcPattern* match, FaceFile* out) {
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->path = reinterpret_cast<const char*>(file);
    out->index = index;
    return true;
}

// The match for a family, only when it really is that family.
bool FindExact(const std::string& familyUtf8, FaceFile* out) {
    if (familyUtf8.empty()) return false;
    FcPattern* match = Match(familyUtf8, false);
    bool found = match && HasFamily(match, familyUtf8) && FileOf(match, out);
    if (match) FcPatternDestroy(match);
    return found;
}

FaceFile Lookup(const std::string& nameCp932) {
    FaceFile face;
    if (FindExact(nol::base::Cp932ToUtf8(nameCp932), &face)) return face;
    face.fallback = true;
    if (FindExact(kFallbackFamily, &face)) return face;
    FcPattern* match = Match(kFallbackFamily, true);
    if (!FileOf(match, &face)) face.path.clear();
    if (match) FcPatternDestroy(match);
    return face;
}

}  // namespace

FaceFile FindFaceFile(const char* faceName) {
    static std::map<std::string, FaceFile> known;
    const std::string name = faceName ? faceName : "";
    auto it = known.find(name);
    if (it == known.end()) it = known.emplace(name, Lookup(name)).first;
    return it->second;
}

}  // namespace nol::gdi
