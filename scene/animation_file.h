// The text of a keyframe animation file, read into part names and key records;
// nothing is loaded or drawn here.
//
// The file holds, as fscanf reads it (see text_scanner.h): the part count N
// ("%d"), N mesh file names ("%s"), the key count M ("%d"), then M x N records
// "%f,%f,%f %f,%f,%f,%f" (position x y z, rotation quaternion x y z w), all parts
// of key 0 first. A comma must follow its number directly; white space may come
// before a number. Anything after the last record is ignored.
//
// A damaged file still reads, with these results, each reported as a problem:
// - A count that is missing, not a number, negative or beyond a 32-bit int is 0.
//   A bad part count ends the reading: no names and no keys are read.
// - A count is also refused (0) when the rest of the text could not hold what it
//   claims: every name takes at least one character and a separator, every record
//   at least kMinRecordBytes. So nothing is allocated beyond what the bytes
//   justify, however large the number; the product M x N is taken in 64 bits.
//   (A file cut off so early that fewer bytes than that are left for the records
//   it claims therefore loses all its keys; one cut off later holds, as below.)
// - A name longer than kMaxNameLength characters is refused: that part's name
//   stays empty (its part gets no mesh), and reading goes on after the name.
// - When the text ends before all N names, the parts without one get no mesh and
//   the key count is 0.
// - The first record that cannot be read in full (a number that does not parse, a
//   comma after white space, the text ending) ends the reading. That record and
//   every one after it hold the same part's pose at the key before (the identity
//   pose, position 0 and rotation (0, 0, 0, 1), at key 0), so the animation
//   freezes where the file breaks off. The key count stays as the file says.
// With no parts the key count still stands (there are no records to read).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "d3dx8/d3dx8math.h"

struct AnimationKey {
    D3DXVECTOR3 position;
    D3DXQUATERNION rotation;
};

// The longest part name: a name is read into a buffer of 256 bytes.
constexpr size_t kMaxNameLength = 255;
// The fewest characters a record can take: seven numbers of one digit, five commas.
constexpr size_t kMinRecordBytes = 12;

enum class AnimationFault : uint8_t {
    BadPartCount,   // missing, not a number, negative or beyond a 32-bit int
    TooManyParts,   // more parts than the rest of the text could name
    NameTooLong,    // part: its name has more than kMaxNameLength characters
    MissingNames,   // part: the first part the text ends before naming
    BadKeyCount,    // as BadPartCount, for the key count
    TooManyKeys,    // more records than the rest of the text could hold
    BadRecord,      // key, part: the first record that could not be read
    TruncatedRecord // key, part: the text ends inside or before this record
};

struct AnimationProblem {
    AnimationFault fault;
    int64_t count = 0;  // the count refused, for the count faults
    int part = -1;
    int key = -1;
};

struct AnimationText {
    int partCount = 0;
    int keyCount = 0;
    std::vector<std::string> partNames;  // partCount names; empty for a part without one
    std::vector<AnimationKey> keys;      // keyCount x partCount records, key-major
    std::vector<AnimationProblem> problems;  // in the order met in the text
};

AnimationText ReadAnimationText(std::string_view text);

// The problem as one line of text, without the file's name and without a line end.
std::string DescribeAnimationProblem(const AnimationProblem& problem);
