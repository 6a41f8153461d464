// The effects set on one source with IDirectSoundBuffer8::SetFX: one EFX effect
// and auxiliary slot per effect, fed from the source's sends, with the dry part
// on the source's direct path.
#pragma once

#include <AL/al.h>

#include <vector>

#include "dsound8/dsound.h"

namespace nol::dsound {

class OutputDevice;

class EffectChain {
public:
    explicit EffectChain(OutputDevice& device) : device_(device) {}
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
    std::vector<ALuint> effects_;
    std::vector<ALuint> slots_;
    std::vector<ALuint> filters_;  // [0] the direct path, then one per send
};

}  // namespace nol::dsound
