// CP932 decoding and the FreeType faces behind both text paths: which face a
// name finds, cell sizes, and glyphs that really differ.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gdi/cp932_text.h"
#include "gdi/glyph_source.h"
#include "win32/log_sink.h"

namespace {

std::vector<std::string> logLines;
void Capture(const char* line) { logLines.push_back(line); }

std::u32string Decode(const std::string& bytes) {
    // An exact-size heap copy with no terminator: any read past the end shows up
    // under AddressSanitizer.
    std::unique_ptr<char[]> copy(new char[bytes.size() ? bytes.size() : 1]);
    std::memcpy(copy.get(), bytes.data(), bytes.size());
    std::u32string out;
    nol::gdi::DecodeCp932(copy.get(), bytes.size(), &out);
    return out;
}

LOGFONTA Font(const char* face, LONG height, LONG weight = 400) {
    LOGFONTA f{};
    f.lfHeight = height;
    f.lfWeight = weight;
    f.lfCharSet = SHIFTJIS_CHARSET;
    std::strncpy(f.lfFaceName, face, LF_FACESIZE - 1);
    return f;
}

int Ink(const nol::gdi::Glyph& g) {
    int n = 0;
    for (uint8_t c : g.coverage) n += c;
    return n;
}

TEST(Cp932, DecodesEverySingleAndDoubleByteKind) {
    // ASCII, half-width katakana, kanji, and a character whose trail byte is 0x5C.
    EXPECT_EQ(Decode("A\xB1\x8A\xBF\x83\x5C"), (std::u32string{U'A', U'ｱ', U'漢', U'ソ'}));
    EXPECT_EQ(Decode("ＭＳ ゴシック"), U"ＭＳ ゴシック");
}

TEST(Cp932, BrokenSequencesBecomeReplacementsWithoutOverreading) {
    const char32_t R = nol::gdi::kReplacementChar;
    EXPECT_EQ(Decode("ab\x82"), (std::u32string{U'a', U'b', R}));          // lone lead byte at the end
    EXPECT_EQ(Decode("\x82 x"), (std::u32string{R, U' ', U'x'}));          // lead before a non-trail byte
    EXPECT_EQ(Decode("\x80\xA0\xFD\xFF"), (std::u32string{R, R, R, R}));   // bytes that start nothing
    EXPECT_EQ(Decode("\x85\x40"), (std::u32string{R}));                    // a pair that names nothing

    // A count that ends between lead and trail byte stops there.
    const char text[] = "\x8A\xBF\x8A\xBF";
    size_t pos = 0;
    EXPECT_EQ(nol::gdi::NextCp932(text, 3, &pos), U'漢');
    EXPECT_EQ(nol::gdi::NextCp932(text, 3, &pos), R);
    EXPECT_EQ(pos, 3u);
}

TEST(GlyphSource, SystemGothicFallsBackToIpaGothicAtTheRequestedCell) {
    logLines.clear();
    NolSetLogSink(Capture);
    auto source = nol::gdi::GlyphSource::Open(Font("ＭＳ ゴシック", 16));
    NolSetLogSink(nullptr);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->CellHeight(), 16);
    EXPECT_GT(source->Ascent(), 10);
    EXPECT_LT(source->Ascent(), 16);
    EXPECT_EQ(source->AverageWidth(), 8);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0].rfind("font: ＭＳ ゴシック -> /", 0), 0u) << logLines[0];
    EXPECT_NE(logLines[0].find("(fallback)\n"), std::string::npos) << logLines[0];
    EXPECT_TRUE(source->IsFallback());

    // Half-width and full-width cells, as the system gothic has them.
    EXPECT_EQ(source->Advance(U'A'), 8);
    EXPECT_EQ(source->Advance(U'漢'), 16);
    EXPECT_EQ(source->Advance(U'ｱ'), 8);
}

TEST(GlyphSource, AnInstalledFamilyIsTakenAsItIs) {
    logLines.clear();
    NolSetLogSink(Capture);
    auto source = nol::gdi::GlyphSource::Open(Font("IPAGothic", 20));
    NolSetLogSink(nullptr);
    ASSERT_NE(source, nullptr);
    EXPECT_FALSE(source->IsFallback());
    EXPECT_EQ(source->CellHeight(), 20);
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0].find("(fallback)"), std::string::npos) << logLines[0];
}

TEST(GlyphSource, HeightsFollowLogFontRules) {
    NolSetLogSink(Capture);
    auto em = nol::gdi::GlyphSource::Open(Font("IPAGothic", -16));
    auto zero = nol::gdi::GlyphSource::Open(Font("IPAGothic", 0));
    auto huge = nol::gdi::GlyphSource::Open(Font("IPAGothic", 1 << 30));
    auto hugeNegative = nol::gdi::GlyphSource::Open(Font("IPAGothic", -(1 << 30)));
    NolSetLogSink(nullptr);
    ASSERT_TRUE(em && zero && huge && hugeNegative);
    EXPECT_EQ(em->Advance(U'漢'), 16);  // an em of 16: full-width characters are 16 wide
    EXPECT_GE(em->CellHeight(), 16);
    EXPECT_EQ(zero->CellHeight(), nol::gdi::kDefaultCellHeight);
    EXPECT_EQ(huge->CellHeight(), nol::gdi::kMaxCellHeight);
    EXPECT_LE(hugeNegative->CellHeight(), 2 * nol::gdi::kMaxCellHeight);
}

TEST(GlyphSource, GlyphsDifferAndMissingOnesStillShow) {
    NolSetLogSink(Capture);
    auto plain = nol::gdi::GlyphSource::Open(Font("ＭＳ ゴシック", 16));
    auto bold = nol::gdi::GlyphSource::Open(Font("ＭＳ ゴシック", 16, 700));
    NolSetLogSink(nullptr);
    ASSERT_TRUE(plain && bold);

    const nol::gdi::Glyph& kan = plain->Get(U'漢');
    const nol::gdi::Glyph& ji = plain->Get(U'字');
    EXPECT_GT(Ink(kan), 0);
    EXPECT_NE(kan.coverage, ji.coverage);
    EXPECT_GE(kan.top, 0);
    EXPECT_LE(kan.top + kan.height, 16);
    EXPECT_EQ(plain->Get(U' ').width * plain->Get(U' ').height, 0);

    // Bold strokes carry more ink than plain ones.
    EXPECT_GT(Ink(bold->Get(U'漢')), Ink(kan) * 11 / 10);

    // A private-use character no face has: a visible box, not nothing.
    const nol::gdi::Glyph& missing = plain->Get(0x10FFFD);
    EXPECT_GT(Ink(missing), 0);
    EXPECT_GT(missing.advance, 0);
}

}  // namespace
