// What a DirectSound object and all its buffers share: the output device, the
// list of live secondary buffers (for the service and the listener), and the
// listener's settings that OpenAL keeps per source.
#pragma once

#include <memory>
#include <vector>

#include "dsound8/dsound.h"
#include "dsound8/output_device.h"
#include "dsound8/struct_size.h"

namespace nol::dsound8 {

class PrimaryBuffer;

// What the core asks of every live secondary buffer, always with its lock held.
class CoreBuffer {
public:
    virtual void StopLocked() = 0;
    virtual void Upkeep() = 0;
    // Applies the 3D settings deferred until the listener commits them.
    virtual void CommitDeferred() = 0;
    virtual void Apply3D() = 0;
    // The primary buffer was lost: the buffer must be restored before it plays.
    virtual void MarkLost() = 0;

protected:
    ~CoreBuffer() = default;
};

struct SoundCore {
    std::unique_ptr<OutputDevice> output;
    // Guarded by output->lock().
    std::vector<CoreBuffer*> buffers;
    float rolloffFactor = DS3D_DEFAULTROLLOFFFACTOR;
    DWORD cooperativeLevel = 0;
    bool primaryLost = false;
    PrimaryBuffer* primary = nullptr;  // the one primary buffer, while it lives
    bool closed = false;                // the DirectSound object is gone

    explicit SoundCore(std::unique_ptr<OutputDevice> device);
    ~SoundCore();
    std::mutex& lock() { return output->lock(); }
    // The DirectSound object is gone: its buffers stop, and nothing advances any
    // more, even for buffers the program still holds.
    void Shutdown();
    // With the lock held: moves every playing buffer on.
    void Upkeep();
    // With the lock held: applies deferred 3D settings of every buffer.
    void CommitBuffers();
    // With the lock held: the listener's rolloff changed.
    void ApplyRolloff();
};

// Holds the core's lock and makes its OpenAL context current on this thread, as
// every AL call of this layer needs: with several objects alive, the process's
// current context may be another's.
class CoreLock {
public:
    explicit CoreLock(SoundCore& core) : guard_(core.lock()) { core.output->MakeCurrent(); }

private:
    std::lock_guard<std::mutex> guard_;
};

// Hundredths of a decibel to a linear gain; the minimum is silence.
float VolumeToGain(LONG volume);
// Right-handed OpenAL coordinates from DirectSound's left-handed ones (+z ahead).
void ToOpenAL(const D3DVECTOR& v, float out[3]);
// A PCM format this layer can play: 1 or 2 channels of 8 or 16 bits, a block
// alignment that matches, a rate DirectSound accepts. Logs why when it is not.
bool IsPlayableFormat(const WAVEFORMATEX* format);

// Test seams (dsound_test_hooks.h).
bool FxMinimumEnforced();

}  // namespace nol::dsound8
