// The standard library's random numbers in the range the effects are written for,
// 0 to 32767, whatever RAND_MAX is here (glibc's is 2^31 - 1): the top 15 bits of
// one std::rand draw, so that srand still seeds them and every number the effects
// take is one draw of the shared generator.
#pragma once

#include <cstdlib>

static_assert(RAND_MAX >= 32767, "std::rand gives at least 15 bits");

inline int Rand32767() { return static_cast<int>(std::rand() / ((RAND_MAX + 1u) / 32768u)); }
