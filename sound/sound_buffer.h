// One sound effect: a WAV file's samples loaded whole into a secondary buffer.
#pragma once

#include <string>

#include "dsound8/dsound.h"
#include "win32/mmsystem.h"

// Effect numbers for SetEffect: 0 waves reverb, 1 I3DL2 reverb, 2 echo, 3 chorus,
// 4 flanger, 5 gargle, 6 compressor, 7 parametric EQ, 8 distortion; anything else
// removes every effect.
class CSoundBuffer {
public:
    CSoundBuffer() = default;
    ~CSoundBuffer() { Free(); }
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;

    // 1 when loaded, also for data too short for a buffer (which then stays silent).
    int Load(const char* fileName);
    // The same from a reader the caller opened (a file, or memory through
    // FOURCC_MEM) and closes; nothing is logged on success, and a lost buffer has
    // no file to reload from.
    int LoadFrom(HMMIO mmio);
    // Shares the source's samples; the copy has no file name to reload from.
    int Duplicate(const CSoundBuffer& source);
    void Free();
    // Always from the beginning, also when already playing.
    void Play(int loop);
    void Stop();
    int IsPlaying();
    void SetEffect(int number);

    IDirectSoundBuffer* buffer = nullptr;
    // Present only while effects are on.
    IDirectSoundBuffer8* buffer8 = nullptr;
    // Present only while 3D sound is on; its parameters are the owner's to set.
    IDirectSound3DBuffer* buffer3d = nullptr;
    std::string name;

private:
    int CreateBuffer(HMMIO mmio, const WAVEFORMATEX& format, DWORD size);
    int FillBuffer(HMMIO mmio, const WAVEFORMATEX& format, DWORD size);
    int GetInterfaces();
};
