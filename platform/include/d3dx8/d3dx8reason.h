// Why the last D3DX load on this thread failed. The original library only returns a
// code; this short English text ("compressed block 1 is damaged", "unknown BMP
// compression") lets a caller's log say why a file was refused.
#pragma once

// The reason of the last failed texture, image or mesh load on the calling thread;
// "" after a load that succeeded or failed without a reason. Valid until the next load.
const char* D3DXGetLastLoadError();
