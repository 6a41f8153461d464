// Background music: one MIDI piece at a time, played through DirectMusic on the
// sound device, with play, pause (remembering the position) and stop.
#pragma once

#include "dmusic/dmusici.h"

struct MusicStateRecord {
    IDirectMusicLoader8* loader = nullptr;
    // Made anew by each load, released with the piece.
    IDirectMusicPerformance8* performance = nullptr;
    IDirectMusicSegment8* segment = nullptr;
    // The current playing; released by pause and stop.
    IDirectMusicSegmentState* segmentState = nullptr;
    // Where the next play begins, in music time from the piece's start.
    MUSIC_TIME resumePoint = 0;
};

extern MusicStateRecord MusicState;

// 1 on success; a failure has shown its error box.
int InitDirectMusic();
void FreeDirectMusic();
// 1 when the piece is loaded and ready to play; a file that will not load is only
// logged.
int LoadMusic(const char* name);
// Non-zero loop: repeat without end.
void PlayMusic(int loop);
void PauseMusic();
void StopMusic();
int IsMusicPlaying();
void ReleaseMusic();
