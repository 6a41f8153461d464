// Where the memory of big resources goes once they are released.
#pragma once

namespace nol::d3d8 {

// From now on, blocks of a megabyte or more (texture images, their decoded
// files, big vertex data) are mapped for themselves and go back to the system
// when freed. Left to itself, glibc raises that limit the first time such a
// block is freed, and the next course's textures then come from the heap, whose
// free space stays resident: each change between courses left tens of MB more
// in use until the heap's holes happened to fit. Leaves a limit set through
// MALLOC_MMAP_THRESHOLD_ alone.
void ReturnLargeBlocksToTheSystem();

}  // namespace nol::d3d8
