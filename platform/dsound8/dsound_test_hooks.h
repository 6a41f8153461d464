// Seams for tests of code that plays sound. Production code never calls these.
#pragma once

#include <cstdint>

#include "dsound8/dsound.h"

// While on, DirectSoundCreate8 opens a loopback device that nothing drives: time
// on it stands still until the test renders the mix by hand. Off (the default)
// restores the real device (or the timer-driven silent one).
void NolDirectSoundUseManualOutput(bool manual);

// While on, DirectSoundCreate8 fails with DSERR_NODRIVER, as where not even the
// silent output can be opened.
void NolDirectSoundFailCreation(bool fail);

// Mixes `frames` frames of 44100 Hz 16-bit stereo (interleaved left, right) from a
// manual object into `out`, running its feeders and position notifications on the
// way, as the real device would in that time. With sound null, the most recently
// created manual object is used. Returns false (and leaves out alone) when there
// is no such object.
bool NolDirectSoundRender(IDirectSound* sound, int16_t* out, uint32_t frames);

// Marks every buffer of the object lost, as when another program takes the
// device: Lock and Play return DSERR_BUFFERLOST and GetStatus reports
// DSBSTATUS_BUFFERLOST until Restore, which leaves the buffer silent.
void NolDirectSoundLoseBuffers(IDirectSound* sound);

// While on, CreateSoundBuffer refuses DSBCAPS_CTRLFX on a buffer shorter than
// DSBSIZE_FX_MIN milliseconds with DSERR_BUFFERTOOSMALL, as the original
// platform's effect processors do. Off (the default), short buffers take effects.
void NolDirectSoundEnforceFxMinimum(bool enforce);
