#include "d3d8/gl_buffer_pool.h"

namespace nol::d3d8 {

GlBuffer GlBufferPool::Take(size_t bytes) {
    if (kept_.empty()) return {};
    size_t chosen = kept_.size() - 1;
    for (size_t i = 0; i < kept_.size(); ++i)
        if (kept_[i].capacity == bytes) chosen = i;
    const GlBuffer taken = kept_[chosen];
    bytes_ -= taken.capacity;
    kept_.erase(kept_.begin() + static_cast<std::ptrdiff_t>(chosen));
    return taken;
}

bool GlBufferPool::Give(GlBuffer buffer) {
    if (buffer.name == 0 || buffer.capacity > kMaxBufferBytes || kept_.size() >= kMaxBuffers ||
        bytes_ + buffer.capacity > kMaxBytes)
        return false;
    kept_.push_back(buffer);
    bytes_ += buffer.capacity;
    return true;
}

std::vector<unsigned> GlBufferPool::TakeAll() {
    std::vector<unsigned> names;
    names.reserve(kept_.size());
    for (const GlBuffer& b : kept_) names.push_back(b.name);
    kept_.clear();
    bytes_ = 0;
    return names;
}

}  // namespace nol::d3d8
