// The effects set on one source with IDirectSoundBuffer8::SetFX: one EFX effect
// and auxiliary slot per effect, fed from the source's sends, with the dry part
// on the source's direct path.
#pragma once

#include <AL/al.h>

#include <vector>

#include "dsound8/dsound.h"

namespace nol::dsound8 {

class OutputDevice;

class EffectChain {
public:
    // positional: the source is placed in 3D rather than played straight out.
    EffectChain(OutputDevice& device, bool positional) : device_(device), positional_(positional) {}
    ~EffectChain() { Clear(0); }
    EffectChain(const EffectChain&) = delete;
    EffectChain& operator=(const EffectChain&) = delete;

    // Replaces the source's effects. All or nothing: on failure the source keeps
    // no effects and results (when given) say which entries failed.
    HRESULT Set(ALuint source, DWORD count, const DSEFFECTDESC* effects, DWORD* results);
    // Removes all effects from the source (0: only frees them).
    void Clear(ALuint source);

private:
    OutputDevice& device_;
    const bool positional_;
    std::vector<ALuint> effects_;
    std::vector<ALuint> slots_;
    std::vector<ALuint> filters_;  // [0] the direct path, then one per send
};

}  // namespace nol::dsound8
