// The values a program's uniforms hold: a uniform is sent only when its value
// changes, and never to location -1 (a uniform the program does not have, which
// the generated shaders leave out whenever the state does not need it).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace nol::d3d8 {

class UniformValues {
public:
    // Whether location must be sent these bytes; from now on it holds them.
    bool Update(int location, const void* data, size_t bytes);

    void Send1f(int location, float value);
    void Send2fv(int location, const float* values);
    void Send3fv(int location, int count, const float* values);
    void Send4fv(int location, int count, const float* values);
    void SendMatrix3(int location, const float* values);
    void SendMatrix4(int location, const float* values);

private:
    // Locations beyond this are sent every time rather than held.
    static constexpr int kMaxHeldLocation = 1024;
    std::vector<std::string> held_;
};

}  // namespace nol::d3d8
