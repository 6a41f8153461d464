// Reading a whole file into memory, with a size limit checked before anything is
// allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nol::d3dx8 {

// The bytes of the file at path (found as nol::base::ResolvePath finds it when it
// does not open as given), or false (and bytes empty) when it cannot be
// opened or read or is longer than maxBytes. With error given, a false result
// says why there.
bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* bytes,
                   std::string* error = nullptr);

}  // namespace nol::d3dx8
