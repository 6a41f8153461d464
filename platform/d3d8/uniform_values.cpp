#include "d3d8/uniform_values.h"

#include "d3d8/gl_api.h"

namespace nol::d3d8 {

bool UniformValues::Update(int location, const void* data, size_t bytes) {
    if (location < 0) return false;
    if (location > kMaxHeldLocation) return true;
    if (held_.size() <= static_cast<size_t>(location)) held_.resize(static_cast<size_t>(location) + 1);
    std::string& held = held_[static_cast<size_t>(location)];
    const char* p = static_cast<const char*>(data);
    if (held.size() == bytes && held.compare(0, bytes, p, bytes) == 0) return false;
    held.assign(p, bytes);
    return true;
}

void UniformValues::Send1f(int location, float value) {
    if (Update(location, &value, sizeof value)) gl::Uniform1f(location, value);
}

void UniformValues::Send2fv(int location, const float* values) {
    if (Update(location, values, 2 * sizeof(float))) gl::Uniform2fv(location, 1, values);
}

void UniformValues::Send3fv(int location, int count, const float* values) {
    if (count > 0 && Update(location, values, size_t(count) * 3 * sizeof(float)))
        gl::Uniform3fv(location, count, values);
}

void UniformValues::Send4fv(int location, int count, const float* values) {
    if (count > 0 && Update(location, values, size_t(count) * 4 * sizeof(float)))
        gl::Uniform4fv(location, count, values);
}

void UniformValues::SendMatrix3(int location, const float* values) {
    if (Update(location, values, 9 * sizeof(float))) gl::UniformMatrix3fv(location, 1, GL_FALSE, values);
}

void UniformValues::SendMatrix4(int location, const float* values) {
    if (Update(location, values, 16 * sizeof(float))) gl::UniformMatrix4fv(location, 1, GL_FALSE, values);
}

}  // namespace nol::d3d8
