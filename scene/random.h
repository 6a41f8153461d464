// The effects' random numbers: the standard library's rand, seeded by the frame
// pacer, taken as a value from 0 to 32767. The effects' formulas divide by 32767
// to reach the top of a range; glibc's rand goes up to 2^31 - 1, so only its low
// fifteen bits are used. Where rand itself stops at 32767 this is rand unchanged.
#pragma once

#include <cstdlib>

static_assert((unsigned(RAND_MAX) + 1u) % 32768u == 0, "rand must cover whole 15-bit blocks");

inline int Rand15() { return std::rand() & 0x7FFF; }
