// Where the music plays: the OpenAL context of a DirectSound object, so that music
// and sound effects share one output device.
#pragma once

#include <AL/alc.h>

#include "dmusic/dmusici.h"

// Null when the object is not a DirectSound object of this layer.
ALCcontext* MusicContextOf(IDirectSound* directSound);
// A DirectSound object on the default device, for a performance given none.
HRESULT CreateMusicDirectSound(IDirectSound** directSound);
void ReleaseMusicDirectSound(IDirectSound* directSound);
