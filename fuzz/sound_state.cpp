// The sound device's record for the fuzz build, in place of sound/sound_device.cpp
// (see CMakeLists.txt): the WAV target fills it with a scripted DirectSound.
#include "sound/sound_device.h"

SoundStateRecord SoundState;

// Only reached when a buffer is lost, which the scripted DirectSound never does.
void RestorePrimaryBuffer() {}
