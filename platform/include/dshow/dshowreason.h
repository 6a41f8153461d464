// Why the last RenderFile refused its file, or rendered only part of it. The
// original returns only a code; this short English text ("no such file", "a
// GStreamer plug-in is missing: Theora video decoder") lets a caller's log say why.
#pragma once

// The reason of the last RenderFile on the calling thread that failed or left a
// stream out; "" after one that rendered everything. Valid until the next call.
const char* DShowGetLastRenderError();
