#include "dsound8/fx/processors.h"

namespace nol::dsound8::fx {

void ParamEq::Set(const DSFXParamEq& p) {
    // The bandwidth comes in semitones.
    filter_.Set(PeakingEq(rate_, p.fCenter, p.fBandwidth / 12.0, p.fGain));
}

}  // namespace nol::dsound8::fx
