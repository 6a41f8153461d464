// Streamed playback: blocks of PCM fed one at a time into a looping ring buffer
// while it plays. The caller's thread waits inside Enqueue for the device to signal
// that a block has been played, then fills the block behind the play position.
#pragma once

#include "dsound8/dsound.h"

class CWaveStream {
public:
    CWaveStream() = default;
    ~CWaveStream() { Free(); }
    CWaveStream(const CWaveStream&) = delete;
    CWaveStream& operator=(const CWaveStream&) = delete;

    // 1 when the ring plays (silence until the first Enqueue). The format is
    // only read during the call.
    int CreateSoundBuffer(const WAVEFORMATEX* format, int blockSize, int count);
    // 1 when written; 0 when nothing was (no stream, the wait timed out, a lock
    // failed). Meant for one block at a time.
    int Enqueue(const void* data, int length);
    void Free();

    IDirectSoundBuffer* buffer = nullptr;
    IDirectSoundNotify* notify = nullptr;
    // Auto-reset; signalled by the device at the end of every block.
    HANDLE event = nullptr;
    DWORD size = 0;
    DWORD writePosition = 0;
    // How long Enqueue waits for a block end before giving up, in milliseconds.
    DWORD waitLimit = 0;

private:
    void CatchUpWithDevice();
};
