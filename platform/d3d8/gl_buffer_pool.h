// GL buffers that released vertex and index buffers leave behind, kept for the
// next ones. Buffers made and released every frame (shapes, particles) then cost
// neither a new GL buffer nor a deletion, which would also make the device forget
// what it has bound. A kept buffer's storage is specified again for its new
// contents; one of the same size is preferred, which drivers refill in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nol::d3d8 {

// A GL buffer name and the bytes of storage it has (0: none yet).
struct GlBuffer {
    unsigned name = 0;
    size_t capacity = 0;
};

class GlBufferPool {
public:
    // At most this many buffers and bytes are kept; a bigger buffer is not kept.
    // The vertices of 10 000 particles (1.44 MB) still fit.
    static constexpr size_t kMaxBuffers = 32;
    static constexpr size_t kMaxBytes = size_t(8) << 20;
    static constexpr size_t kMaxBufferBytes = size_t(4) << 20;

    // A kept buffer for bytes of contents, one whose storage has that size if
    // there is one, else the last kept; a name of 0 when none is kept.
    GlBuffer Take(size_t bytes);
    // Keeps the buffer; false when it is too big or the pool is full, and then the
    // caller deletes it.
    bool Give(GlBuffer buffer);
    // Every kept name, for deletion (a current context) or to be forgotten (the
    // context is gone); the pool is empty afterwards.
    std::vector<unsigned> TakeAll();

    size_t Count() const { return kept_.size(); }
    size_t Bytes() const { return bytes_; }

private:
    std::vector<GlBuffer> kept_;
    size_t bytes_ = 0;
};

}  // namespace nol::d3d8
