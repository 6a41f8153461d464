// Finding the file of a face by its family name, through fontconfig.
#pragma once

#include <string>

namespace nol::gdi {

// The family every request falls back to: a Japanese gothic face whose cells
// match those of the Windows system gothic.
constexpr const char* kFallbackFamily = "IPAGothic";

struct FaceFile {
    std::string path;  // empty: no face at all
    int index = 0;     // face inside a collection file
    bool fallback = false;
};

// faceName is CP932. Fontconfig always answers with some face; it is taken only
// when one of its family names is the requested one (ignoring case and blanks),
// else the fallback family is, else whatever fontconfig suggests for Japanese
// text. Answers are remembered per name.
FaceFile FindFaceFile(const char* faceName);

}  // namespace nol::gdi
