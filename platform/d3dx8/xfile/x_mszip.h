// MSZIP, the compression of "tzip" and "bzip" .x files. After the 16-byte header
// comes the size of the whole decompressed file (header included) as a 32-bit
// little-endian number, then blocks of at most 32 KB of data each:
//   uint16 decompressed size, uint16 compressed size (counting the signature),
//   "CK", raw deflate data.
// Blocks share one history: each one may refer back into the data before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nol::d3dx8::xfile {

// The largest decompressed size accepted, to keep a small hostile file from
// claiming unbounded memory.
constexpr size_t kMaxDecompressedSize = 64u << 20;
constexpr size_t kMszipBlockSize = 32768;

// Decompresses what follows the header. Returns false with a reason on damaged
// or truncated data.
bool MszipDecompress(const uint8_t* data, size_t size, std::vector<uint8_t>& out, std::string& error);

// Compresses a file body (what follows the header) into the layout above.
std::vector<uint8_t> MszipCompress(const uint8_t* data, size_t size);

}  // namespace nol::d3dx8::xfile
