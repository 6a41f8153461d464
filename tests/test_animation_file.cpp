// Keyframe animation text: numbers read as the C library reads them, and what
// damaged files come out as, without allocating for what they only claim.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "scene/animation_file.h"
#include "scene/text_scanner.h"

// Every allocation of this program goes through here, so that a test can see the
// largest block asked for while a file was read.
namespace {
size_t largestAllocation = 0;
}  // namespace

void* operator new(size_t size) {
    if (size > largestAllocation) largestAllocation = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// "%f" on text through the scanner and through sscanf: the same outcome, the
// same value to the bit and the same characters taken.
void ExpectReadAsSscanf(const std::string& text) {
    SCOPED_TRACE("\"" + text + "\"");
    float expected = -12345.0f, got = -12345.0f;
    int taken = -1;
    const int r = std::sscanf(text.c_str(), "%f%n", &expected, &taken);
    TextScanner scanner(text.data(), text.size());
    const TextScanner::Result result = scanner.ReadFloat(&got);
    if (r == 1) {
        ASSERT_EQ(result, TextScanner::Result::Ok);
        EXPECT_TRUE(SameBits(got, expected)) << got << " vs " << expected;
        EXPECT_EQ(scanner.Offset(), size_t(taken));
    } else {
        EXPECT_EQ(result, r == EOF ? TextScanner::Result::End : TextScanner::Result::Mismatch);
    }
}

TEST(TextScanner, NumbersReadAsTheCLibraryReadsThem) {
    for (const char* text :
         {"+1.5", "-0", "1e3", ".5", "5.", "0x1p3", "inf", "nan", "1e999", "-1e999", "1e-50", "1e-45",
          "-nan", "NAN", "Infinity", "INFINITYx", "infx", "infin", "infi", "na", "1e", "1e+", "1e+x", "1E-7",
          "0x", "0x.", "-0x.", "0xp3", "0x1p", "0x1.8p1", "0X1P-2", "0x1e3", "0xg", "00x1", ".", "-", "+-1",
          "- 1", ".e1", "0.e1", "1.5.3", "1,2", " \t\n\v\f\r2.5", "", "   ", "3.4028235e38", "3.4028236e38",
          "3.4028237e38", "7.038531e-26", "1.17549435e-38", "0.1", "00000000000000000000000001.5",
          "123456789012345678901234567890", "0.000000000000000000000000000000000000000000001401298",
          "2.00000005960464477550", "1.00000005960464477539062499", "nan(1)", "1x", "\xff" "1"})
        ExpectReadAsSscanf(text);
}

// Decimal numbers of every size and length: the fast conversion rounds as strtof does.
TEST(TextScanner, RandomDecimalsRoundAsTheCLibraryRounds) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digits(1, 25), digit(0, 9), exponent(-50, 45), coin(0, 3);
    for (int i = 0; i < 20000; ++i) {
        std::string text = coin(random) == 0 ? "-" : "";
        const int n = digits(random), point = std::uniform_int_distribution<int>(0, n)(random);
        for (int d = 0; d < n; ++d) {
            if (d == point) text += '.';
            text += char('0' + digit(random));
        }
        if (coin(random)) text += "e" + std::to_string(exponent(random));
        ExpectReadAsSscanf(text);
        if (HasFailure()) return;
    }
}

TEST(TextScanner, IntegersTokensAndLiteralsTakeWhatFscanfTakes) {
    const std::string text = " +5 -0 2abc\t- 5";
    TextScanner in(text.data(), text.size());
    int64_t v = 0;
    ASSERT_EQ(in.ReadInteger(&v), TextScanner::Result::Ok);
    EXPECT_EQ(v, 5);
    ASSERT_EQ(in.ReadInteger(&v), TextScanner::Result::Ok);
    EXPECT_EQ(v, 0);
    ASSERT_EQ(in.ReadInteger(&v), TextScanner::Result::Ok);
    EXPECT_EQ(v, 2);
    std::string_view token;
    ASSERT_EQ(in.ReadToken(&token), TextScanner::Result::Ok);  // the rest of "2abc"
    EXPECT_EQ(token, "abc");
    EXPECT_EQ(in.ReadInteger(&v), TextScanner::Result::Mismatch);  // a sign then a blank
    EXPECT_EQ(in.ReadToken(&token), TextScanner::Result::Ok);
    EXPECT_EQ(token, "5");
    EXPECT_EQ(in.ReadToken(&token), TextScanner::Result::End);

    const std::string hex = "0x10 99999999999999999999999";
    TextScanner h(hex.data(), hex.size());
    ASSERT_EQ(h.ReadInteger(&v), TextScanner::Result::Ok);
    EXPECT_EQ(v, 0);  // base 10: the "x" ends it
    EXPECT_FALSE(h.ReadLiteral(','));
    ASSERT_EQ(h.ReadToken(&token), TextScanner::Result::Ok);
    EXPECT_EQ(token, "x10");
    ASSERT_EQ(h.ReadInteger(&v), TextScanner::Result::Ok);
    EXPECT_GT(v, int64_t(INT32_MAX));  // saturated, still far beyond any count
}

void ExpectKey(const AnimationKey& k, float x, float y, float z, float qx, float qy, float qz, float qw) {
    EXPECT_FLOAT_EQ(k.position.x, x);
    EXPECT_FLOAT_EQ(k.position.y, y);
    EXPECT_FLOAT_EQ(k.position.z, z);
    EXPECT_FLOAT_EQ(k.rotation.x, qx);
    EXPECT_FLOAT_EQ(k.rotation.y, qy);
    EXPECT_FLOAT_EQ(k.rotation.z, qz);
    EXPECT_FLOAT_EQ(k.rotation.w, qw);
}

bool SameKey(const AnimationKey& a, const AnimationKey& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(AnimationFile, ReadsCountsNamesAndKeyMajorRecords) {
    const AnimationText t = ReadAnimationText(
        "2\nbody.x\r\n\tarm.x\n3\n"
        "0,0,0 0,0,0,1\n1,2,3 0,1,0,0\n"
        "  4,5,6\t0,0,0.5,0.5\n7,8,9 1,0,0,0\n"
        "1e1,-2,+3 .5,5.,0x1p-1,-0\n-1,-2,-3 0,0,0,1\n"
        "anything after the last record is ignored ,,,");
    EXPECT_TRUE(t.problems.empty());
    ASSERT_EQ(t.partCount, 2);
    ASSERT_EQ(t.keyCount, 3);
    EXPECT_EQ(t.partNames, (std::vector<std::string>{"body.x", "arm.x"}));
    ASSERT_EQ(t.keys.size(), 6u);
    ExpectKey(t.keys[1], 1, 2, 3, 0, 1, 0, 0);       // key 0, part 1
    ExpectKey(t.keys[2], 4, 5, 6, 0, 0, 0.5f, 0.5f);  // key 1, part 0
    ExpectKey(t.keys[4], 10, -2, 3, 0.5f, 5, 0.5f, -0.0f);
    EXPECT_TRUE(std::signbit(t.keys[4].rotation.w));
}

TEST(AnimationFile, NumbersNeedNoWhiteSpaceWhereASignOrPointEndsThem) {
    // The count runs straight into the first name; records glued by signs.
    const AnimationText t = ReadAnimationText("1a.x 2 1,2,3-1,0,0,1-7,8,9+0,1,0,0");
    EXPECT_TRUE(t.problems.empty());
    EXPECT_EQ(t.partNames, std::vector<std::string>{"a.x"});
    ASSERT_EQ(t.keys.size(), 2u);
    ExpectKey(t.keys[0], 1, 2, 3, -1, 0, 0, 1);
    ExpectKey(t.keys[1], -7, 8, 9, 0, 1, 0, 0);
}

// A record of four decimals a number, key k's part i at (k * 2 + i) * (1, 2, 3).
std::string Record(int index) {
    char line[80];
    std::snprintf(line, sizeof line, "%.4f,%.4f,%.4f 0.0000,0.0000,0.0000,1.0000\n", index * 1.0, index * 2.0,
                  index * 3.0);
    return line;
}

// Records from the first bad one on hold the part's pose at the key before, and
// good records after it are not used.
TEST(AnimationFile, ADamagedRecordHoldsEveryPartsLastPoseFromThereOn) {
    const std::string key0 = Record(0) + Record(1), rest = Record(3) + Record(4) + Record(5);
    struct Case {
        const char* name;
        std::string records;
        AnimationFault fault;
    };
    const Case cases[] = {
        {"comma after white space", key0 + "7.0,8.0 ,9.0 0,0,0,1\n" + rest, AnimationFault::BadRecord},
        {"not a number", key0 + "7.0,8.0,x 0,0,0,1\n" + rest, AnimationFault::BadRecord},
        {"a blank for a comma", key0 + "7.0,8.0,9.0 0,0 0,1\n" + rest, AnimationFault::BadRecord},
        {"truncated", key0 + "7.0,8.0,", AnimationFault::TruncatedRecord},
        {"truncated after a record", key0, AnimationFault::TruncatedRecord},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const AnimationText t = ReadAnimationText("2 a.x b.x 3\n" + c.records);
        ASSERT_EQ(t.keyCount, 3);
        ASSERT_EQ(t.keys.size(), 6u);
        ASSERT_EQ(t.problems.size(), 1u);
        EXPECT_EQ(t.problems[0].fault, c.fault);
        EXPECT_EQ(t.problems[0].key, 1);
        EXPECT_EQ(t.problems[0].part, 0);
        ExpectKey(t.keys[1], 1, 2, 3, 0, 0, 0, 1);
        for (int r = 2; r < 6; ++r) EXPECT_TRUE(SameKey(t.keys[r], t.keys[r % 2])) << "record " << r;
    }

    // When less than kMinRecordBytes a claimed record is left, the count itself
    // is taken to be wrong: no keys at all.
    const AnimationText cut = ReadAnimationText("2 a.x b.x 3\n1,2,3 0,0,0,1\n");
    EXPECT_EQ(cut.keyCount, 0);
    EXPECT_EQ(cut.problems.at(0).fault, AnimationFault::TooManyKeys);

    // Broken at the very first record: the identity pose.
    const AnimationText first = ReadAnimationText("2 a.x b.x 2 1,2,3 0,0,0;1 " + Record(1) + Record(2) + Record(3));
    ASSERT_EQ(first.keys.size(), 4u);
    for (const AnimationKey& k : first.keys) ExpectKey(k, 0, 0, 0, 0, 0, 0, 1);
    EXPECT_NE(DescribeAnimationProblem(first.problems.at(0)).find("key 0, part 0"), std::string::npos);
}

TEST(AnimationFile, BadCountsAreZeroAndABadPartCountEndsTheReading) {
    const AnimationText negativeParts = ReadAnimationText("-1 a.x 1 0,0,0 0,0,0,1");
    EXPECT_EQ(negativeParts.partCount, 0);
    EXPECT_EQ(negativeParts.keyCount, 0);
    ASSERT_EQ(negativeParts.problems.size(), 1u);
    EXPECT_EQ(negativeParts.problems[0].fault, AnimationFault::BadPartCount);
    EXPECT_EQ(negativeParts.problems[0].count, -1);

    for (const char* text : {"", "  \n", "parts a.x", "- 1 a.x", "2147483648 a b"}) {
        SCOPED_TRACE(text);
        const AnimationText t = ReadAnimationText(text);
        EXPECT_EQ(t.partCount, 0);
        EXPECT_TRUE(t.partNames.empty());
        ASSERT_EQ(t.problems.size(), 1u);
        EXPECT_EQ(t.problems[0].fault, AnimationFault::BadPartCount);
    }

    const AnimationText negativeKeys = ReadAnimationText("2 a.x b.x -3 0,0,0 0,0,0,1");
    EXPECT_EQ(negativeKeys.partCount, 2);
    EXPECT_EQ(negativeKeys.partNames, (std::vector<std::string>{"a.x", "b.x"}));
    EXPECT_EQ(negativeKeys.keyCount, 0);
    EXPECT_TRUE(negativeKeys.keys.empty());
    ASSERT_EQ(negativeKeys.problems.size(), 1u);
    EXPECT_EQ(negativeKeys.problems[0].fault, AnimationFault::BadKeyCount);

    const AnimationText noKeyCount = ReadAnimationText("1 a.x keys");
    EXPECT_EQ(noKeyCount.partCount, 1);
    EXPECT_EQ(noKeyCount.keyCount, 0);
    EXPECT_EQ(noKeyCount.problems.at(0).fault, AnimationFault::BadKeyCount);
}

// A count is refused, before anything is allocated for it, when the rest of the
// text could not hold what it claims.
TEST(AnimationFile, CountsBeyondWhatTheTextHoldsAllocateNothing) {
    largestAllocation = 0;
    const AnimationText parts = ReadAnimationText("1000000000 a");
    EXPECT_LT(largestAllocation, size_t(4096));
    EXPECT_EQ(parts.partCount, 0);
    EXPECT_EQ(parts.problems.at(0).fault, AnimationFault::TooManyParts);

    largestAllocation = 0;
    const AnimationText keys = ReadAnimationText("2 a b 2147483647 0,0,0 0,0,0,1");
    EXPECT_LT(largestAllocation, size_t(4096));
    EXPECT_EQ(keys.partCount, 2);
    EXPECT_EQ(keys.keyCount, 0);
    EXPECT_TRUE(keys.keys.empty());
    EXPECT_EQ(keys.problems.at(0).fault, AnimationFault::TooManyKeys);

    // 65536 x 65536 records: zero in 32-bit arithmetic, 2^32 in truth.
    std::string text = "65536";
    for (int i = 0; i < 65536; ++i) text += " p";
    text += " 65536 0,0,0 0,0,0,1";
    largestAllocation = 0;
    const AnimationText wide = ReadAnimationText(text);
    EXPECT_LT(largestAllocation, size_t(8) << 20);  // the names' table, not the claimed records
    EXPECT_EQ(wide.partCount, 65536);
    EXPECT_EQ(wide.keyCount, 0);
    EXPECT_EQ(wide.problems.at(0).fault, AnimationFault::TooManyKeys);

    // Records as short as they come, glued by signs, are not refused.
    const AnimationText tight = ReadAnimationText("1 a 4 0,0,0-0,0,0,1-0,0,0-0,0,0,1-0,0,0-0,0,0,1-0,0,0-0,0,0,1");
    EXPECT_TRUE(tight.problems.empty());
    ASSERT_EQ(tight.keys.size(), 4u);
    ExpectKey(tight.keys[3], -0.0f, 0, 0, -0.0f, 0, 0, 1);
}

TEST(AnimationFile, AnOverLongNameLeavesItsPartWithoutANameAndReadingGoesOn) {
    const std::string longest(255, 'n'), tooLong(256, 'm');
    const AnimationText t =
        ReadAnimationText("3 " + longest + " " + tooLong + " c.x 1 1,1,1 0,0,0,1 2,2,2 0,0,0,1 3,3,3 0,0,0,1");
    ASSERT_EQ(t.partCount, 3);
    EXPECT_EQ(t.partNames[0], longest);
    EXPECT_EQ(t.partNames[1], "");
    EXPECT_EQ(t.partNames[2], "c.x");
    ASSERT_EQ(t.problems.size(), 1u);
    EXPECT_EQ(t.problems[0].fault, AnimationFault::NameTooLong);
    EXPECT_EQ(t.problems[0].part, 1);
    EXPECT_EQ(t.problems[0].count, 256);
    ASSERT_EQ(t.keys.size(), 3u);
    ExpectKey(t.keys[2], 3, 3, 3, 0, 0, 0, 1);
}

TEST(AnimationFile, NoPartsKeepsTheKeyCountPartsWithoutKeysHaveNoRecords) {
    const AnimationText none = ReadAnimationText("0\n5\n");
    EXPECT_TRUE(none.problems.empty());
    EXPECT_EQ(none.partCount, 0);
    EXPECT_EQ(none.keyCount, 5);
    EXPECT_TRUE(none.keys.empty());

    const AnimationText noKeys = ReadAnimationText("2 a.x b.x 0 1,2,3 0,0,0,1");
    EXPECT_TRUE(noKeys.problems.empty());
    EXPECT_EQ(noKeys.partCount, 2);
    EXPECT_EQ(noKeys.keyCount, 0);
    EXPECT_TRUE(noKeys.keys.empty());

    const AnimationText missing = ReadAnimationText("3 a.x b.x\n");
    EXPECT_EQ(missing.partCount, 3);
    EXPECT_EQ(missing.partNames, (std::vector<std::string>{"a.x", "b.x", ""}));
    EXPECT_EQ(missing.keyCount, 0);
    ASSERT_EQ(missing.problems.size(), 1u);
    EXPECT_EQ(missing.problems[0].fault, AnimationFault::MissingNames);
    EXPECT_EQ(missing.problems[0].part, 2);
}

}  // namespace
