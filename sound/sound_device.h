// The sound device: the DirectSound object every buffer is made from, the primary
// buffer with its fixed output format, the 3D listener, and the two switches that
// decide whether buffers get 3D and effects control.
#pragma once

#include "dsound8/dsound.h"

struct SoundStateRecord {
    IDirectSound8* directSound = nullptr;
    IDirectSoundBuffer* primaryBuffer = nullptr;
    // Null while 3D sound is off.
    IDirectSound3DListener* listener = nullptr;
    // 1 = on; "/3ds" and "/fx" turn them off for the whole run.
    int sound3DFlag = 0;
    int effectsFlag = 0;
    // The primary buffer's volume as found at start-up, put back at shutdown.
    LONG primaryVolume = 0;
};

extern SoundStateRecord SoundState;

// 1 on success; a failure has shown its error box.
int InitDirectSound();
void FreeDirectSound();
// InitDirectSound's steps after the object exists: cooperative level, primary
// buffer, switches and listener, on SoundState.directSound (a test may put a fake
// object there).
int SetUpDirectSound();
void RestorePrimaryBuffer();
// Hundredths of a decibel.
void SetPrimaryVolume(LONG volume);

// These do nothing while 3D sound is off.
void SetListenerDistanceFactor(float factor);
void SetListenerPosition(float x, float y, float z);
void SetListenerOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ);

// PCM with the block alignment and byte rate that follow from the arguments.
WAVEFORMATEX MakeWaveFormat(DWORD samplesPerSec, WORD bitsPerSample, WORD channels);
