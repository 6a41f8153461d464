// How other parts of the platform layer (the music performance) play on the same
// OpenAL device as a DirectSound object, so that everything shares one output.
#pragma once

#include <AL/alc.h>

#include "dsound8/dsound.h"

// Every device this layer opens mixes at this rate, in 16-bit stereo.
constexpr int kNolOutputRate = 44100;

// The OpenAL context of a DirectSound object made by DirectSoundCreate8, or null
// for any other object. The context is the process's current one while the object
// lives; AL calls may be made on it from any thread. Hold a reference to the
// object (AddRef) for as long as the context is used.
ALCcontext* NolOpenALContext(IDirectSound* sound);

// A feeder runs before every stretch of output the device mixes: every few
// milliseconds on the device's service thread, or inside each test render
// (dsound_test_hooks.h). It is where streamed sources top up their queues, so a
// source fed there never starves, even when tests render by hand faster than real
// time. It runs without any lock of this layer held, so it may call AL and
// DirectSound freely, but it must not block.
typedef void (*NolOpenALFeeder)(void* user);

// Adds a feeder to the object's device; returns its id (> 0), or 0 when the
// object is not one of this layer's.
int NolOpenALAddFeeder(IDirectSound* sound, NolOpenALFeeder feeder, void* user);

// Removes a feeder. When this returns, the feeder is not running and will not run
// again, so its user data may be freed. Must not be called from inside a feeder.
void NolOpenALRemoveFeeder(IDirectSound* sound, int id);
