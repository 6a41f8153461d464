// Seams for tests of media playback. Production code never calls these.
#pragma once

// While set, filter graphs made from now on write their sound to a WAV file at
// path (16-bit PCM, 44100 Hz, stereo) at the pace of real playback, instead of
// the sound output. Null puts the output back.
void NolDShowCaptureAudio(const char* wavPath);

// Whether GStreamer has been started in this process (by a filter graph).
bool NolDShowGStreamerStarted();

// Hides an installed element (a decoder) from the graphs' choice of elements, as
// if its plug-in were not installed, or shows it again. False when GStreamer has
// not started or has no such element.
bool NolDShowHideElement(const char* name, bool hidden);
