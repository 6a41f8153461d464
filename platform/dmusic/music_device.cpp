#include "dmusic/music_device.h"

// Filled in against the DirectSound layer's output.
ALCcontext* MusicContextOf(IDirectSound*) { return nullptr; }
HRESULT CreateMusicDirectSound(IDirectSound** directSound) {
    *directSound = nullptr;
    return E_FAIL;
}
void ReleaseMusicDirectSound(IDirectSound*) {}
