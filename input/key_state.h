// The key state code of one key or button from two reads of it.
#pragma once

#include "input/input.h"

// Only bit 7 of a state byte counts.
inline int KeyStateCode(BYTE now, BYTE before) { return ((now & 0x80) >> 6) | ((before & 0x80) >> 7); }
