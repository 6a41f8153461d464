#include "d3dx8/image.h"

namespace nol::d3dx8 {

uint32_t WidenChannel(uint32_t value, unsigned bits) {
    if (bits == 0) return 0xFF;
    if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
    uint32_t out = 0;
    unsigned filled = 0;
    while (filled < 8) {
        out = out << bits | value;
        filled += bits;
    }
    return (out >> (filled - 8)) & 0xFF;
}

}  // namespace nol::d3dx8
