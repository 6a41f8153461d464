// A game pad, read through XInput once a frame with the other devices: its
// buttons, and its triggers and left stick read as buttons too (pressed beyond
// XInput's trigger threshold and the stick's dead zone), each with a key state
// code. Every pad plugged in counts, as one pad.
#pragma once

#include "input/input.h"

enum PadEntry {
    PAD_DPAD_UP,
    PAD_DPAD_DOWN,
    PAD_DPAD_LEFT,
    PAD_DPAD_RIGHT,
    PAD_START,
    PAD_BACK,
    PAD_LEFT_THUMB,
    PAD_RIGHT_THUMB,
    PAD_LEFT_SHOULDER,
    PAD_RIGHT_SHOULDER,
    PAD_A,
    PAD_B,
    PAD_X,
    PAD_Y,
    PAD_LEFT_TRIGGER,
    PAD_RIGHT_TRIGGER,
    PAD_STICK_UP,
    PAD_STICK_DOWN,
    PAD_STICK_LEFT,
    PAD_STICK_RIGHT,
    PAD_ENTRIES,
};

struct PadStateRecord {
    // Bit u set: XInput user u's pad answered the last read.
    int connected = 0;
    // Bit 7 set = down, on any pad.
    BYTE entries[PAD_ENTRIES] = {};
    BYTE prevEntries[PAD_ENTRIES] = {};
};

extern PadStateRecord PadState;

// Part of UpdateInput. A pad plugged in or pulled out is logged.
void UpdatePad();
// Part of ResetInput: every entry reads KEY_UP until the next read.
void ResetPad();
// The key state code of an entry; out of range reads KEY_UP.
int GetPad(int entry);
