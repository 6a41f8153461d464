// The effects set on one buffer with IDirectSoundBuffer8::SetFX, in the order
// given. Those this layer processes itself run in series on the samples as they
// are queued (Process); the reverbs run on EFX, each on an auxiliary slot fed
// from the source's sends, so they hear the sound after all the others.
#pragma once

#include <AL/al.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "dsound8/dsound.h"
#include "dsound8/fx/effect.h"

namespace nol::dsound8 {

struct SoundCore;

class EffectChain {
public:
    // positional: the source is placed in 3D rather than played straight out.
    // rate, channels: the samples' own, which the effects work at.
    EffectChain(std::shared_ptr<SoundCore> core, bool positional, uint32_t rate, int channels)
        : core_(std::move(core)), positional_(positional), rate_(rate), channels_(channels) {}
    ~EffectChain() { Clear(0); }
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // All of the following with the device's lock held.

    // Replaces the source's effects. All or nothing: on failure the source keeps
    // no effects and results (when given) say which entries failed.
    HRESULT Set(ALuint source, DWORD count, const DSEFFECTDESC* effects, DWORD* results);
    // Removes all effects from the source (0: only frees them).
    void Clear(ALuint source);
    bool empty() const { return entries_.empty(); }
    // Runs the effects processed here over the next frames of the buffer's
    // samples (interleaved floats, its own channels), and brings the reverbs'
    // parameters up to date.
    void Process(ALuint source, float* samples, uint32_t frames);
    // A new run of the buffer begins: no echo or tail of the last one remains.
    void Reset();
    // The index-th effect of `effectClass` (GUID_All_Objects: of any class), asked
    // for `iid`.
    HRESULT Find(REFGUID effectClass, DWORD index, REFIID iid, void** object);

private:
    struct Entry {
        fx::Effect* effect = nullptr;  // one reference
        // Reverbs only: their EFX objects and send.
        ALuint efxEffect = 0, slot = 0, sendFilter = 0;
        int send = -1;
        uint64_t configured = 0;
    };
    void ConfigureReverbs(ALuint source);

    std::shared_ptr<SoundCore> core_;
    const bool positional_;
    const uint32_t rate_;
    const int channels_;
    std::vector<Entry> entries_;
    ALuint directFilter_ = 0;
};

}  // namespace nol::dsound8
