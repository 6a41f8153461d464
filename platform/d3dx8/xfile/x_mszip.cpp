#include "d3dx8/xfile/x_mszip.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "d3dx8/xfile/x_header.h"

namespace nol::d3dx8::xfile {

namespace {

uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Owns a zlib stream for the length of one call.
struct Inflater {
    z_stream s{};
    bool ok = false;
    Inflater() { ok = inflateInit2(&s, -MAX_WBITS) == Z_OK; }
    ~Inflater() {
        if (ok) inflateEnd(&s);
    }
};

struct Deflater {
    z_stream s{};
    bool ok = false;
    Deflater() { ok = deflateInit2(&s, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK; }
    ~Deflater() {
        if (ok) deflateEnd(&s);
    }
};

}  // namespace

bool MszipDecompress(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error) {
    out.clear();
    if (size < 4) {
        error = "compressed .x file ends before its size field";
        return false;
    }
    const uint64_t declared = Read32(data);
    if (declared < kXHeaderSize || declared - kXHeaderSize > kMaxDecompressedSize) {
        error = "compressed .x file declares an unusable size (" + std::to_string(declared) + " bytes)";
        return false;
    }
    // The size counts the header; a body of the size itself is taken as well.
    const size_t expected = static_cast<size_t>(declared - kXHeaderSize);
    const size_t limit = static_cast<size_t>(declared);

    Inflater z;
    if (!z.ok) {
        error = "zlib could not start a decompressor";
        return false;
    }
    size_t pos = 4;
    int block = 0;
    while (pos < size) {
        ++block;
        if (size - pos < 6) {
            error = "compressed block " + std::to_string(block) + " is cut short";
            return false;
        }
        const size_t plain = Read16(data + pos);
        const size_t packed = Read16(data + pos + 2);
        if (packed < 2 || packed > size - pos - 4) {
            error = "compressed block " + std::to_string(block) + " runs past the end of the file";
            return false;
        }
        if (data[pos + 4] != 'C' || data[pos + 5] != 'K') {
            error = "compressed block " + std::to_string(block) + " lacks its \"CK\" signature";
            return false;
        }
        if (plain == 0 || plain > kMszipBlockSize || out.size() + plain > limit) {
            error = "compressed block " + std::to_string(block) + " has an impossible size";
            return false;
        }
        // The history is what came before, up to the 32 KB deflate window.
        inflateReset(&z.s);
        const size_t history = std::min(out.size(), kMszipBlockSize);
        if (history > 0 &&
            inflateSetDictionary(&z.s, out.data() + out.size() - history, static_cast<uInt>(history)) != Z_OK) {
            error = "zlib refused the history of block " + std::to_string(block);
            return false;
        }
        const size_t start = out.size();
        out.resize(start + plain);
        z.s.next_in = const_cast<Bytef*>(data + pos + 6);
        z.s.avail_in = static_cast<uInt>(packed - 2);
        z.s.next_out = out.data() + start;
        z.s.avail_out = static_cast<uInt>(plain);
        const int rc = inflate(&z.s, Z_FINISH);
        if (rc != Z_STREAM_END || z.s.avail_out != 0) {
            error = "compressed block " + std::to_string(block) + " is damaged (" +
                    (rc == Z_STREAM_END ? "it holds less data than it declares"
                     : rc == Z_DATA_ERROR ? "invalid deflate data"
                                          : "its data does not end where declared") +
                    ")";
            return false;
        }
        pos += 4 + packed;
    }
    if (out.size() != expected && out.size() != limit) {
        error = "compressed .x file holds " + std::to_string(out.size()) + " bytes, not the " +
                std::to_string(expected) + " it declares";
        return false;
    }
    return true;
}

std::vector<uint8_t> MszipCompress(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out(4);
    const uint32_t total = static_cast<uint32_t>(size + kXHeaderSize);
    for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(total >> (8 * i));
    Deflater z;
    if (!z.ok) return {};
    for (size_t pos = 0; pos < size; pos += kMszipBlockSize) {
        const size_t plain = std::min(kMszipBlockSize, size - pos);
        deflateReset(&z.s);
        if (pos > 0) {
            const size_t history = std::min(pos, kMszipBlockSize);
            deflateSetDictionary(&z.s, data + pos - history, static_cast<uInt>(history));
        }
        const size_t head = out.size();
        const uLong bound = deflateBound(&z.s, static_cast<uLong>(plain));
        out.resize(head + 6 + bound);
        out[head + 4] = 'C';
        out[head + 5] = 'K';
        z.s.next_in = const_cast<Bytef*>(data + pos);
        z.s.avail_in = static_cast<uInt>(plain);
        z.s.next_out = out.data() + head + 6;
        z.s.avail_out = static_cast<uInt>(bound);
        if (deflate(&z.s, Z_FINISH) != Z_STREAM_END) return {};
        const size_t packed = bound - z.s.avail_out + 2;
        // 32 KB never deflates to more than 64 KB, so both sizes fit their fields.
        Put16(out, head, static_cast<uint32_t>(plain));
        Put16(out, head + 2, static_cast<uint32_t>(packed));
        out.resize(head + 4 + packed);
    }
    return out;
}

}  // namespace nol::d3dx8::xfile
