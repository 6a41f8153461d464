// Where the graphs' sound goes: the default output (GStreamer's autoaudiosink,
// which picks the desktop's sound server or ALSA, and where there is none plays
// silently at real-time pace, so that the end of a file still comes on time), or,
// for tests, a WAV file.
#pragma once

#include <string>

typedef struct _GstElement GstElement;

namespace nol::dshow {

// A new sink for a playbin's sound; null with the reason when it cannot be made.
GstElement* MakeAudioSink(std::string* reason);

// Graphs made from now on write their sound to a WAV file at path (null: the
// output again).
void CaptureAudioTo(const char* path);

}  // namespace nol::dshow
