// The standard effects' default parameters and the check of their ranges.
#pragma once

#include "dsound8/dsound.h"

namespace nol::dsound8::fx {

DSFXGargle DefaultGargle();
DSFXChorus DefaultChorus();
DSFXFlanger DefaultFlanger();
DSFXEcho DefaultEcho();
DSFXDistortion DefaultDistortion();
DSFXCompressor DefaultCompressor();
DSFXParamEq DefaultParamEq();
DSFXWavesReverb DefaultWavesReverb();
DSFXI3DL2Reverb DefaultI3DL2Reverb();

// True when every field is inside its range (NaN never is).
bool InRange(const DSFXGargle& p);
bool InRange(const DSFXChorus& p);
bool InRange(const DSFXFlanger& p);
bool InRange(const DSFXEcho& p);
bool InRange(const DSFXDistortion& p);
bool InRange(const DSFXCompressor& p);
bool InRange(const DSFXParamEq& p);
bool InRange(const DSFXWavesReverb& p);
bool InRange(const DSFXI3DL2Reverb& p);

}  // namespace nol::dsound8::fx
