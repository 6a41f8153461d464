#include "dsound8/sound_core.h"

#include <cmath>

#include "base/platform_log.h"

namespace nol::dsound8 {

SoundCore::SoundCore(std::unique_ptr<OutputDevice> device) : output(std::move(device)) {
    output->SetUpkeep([this] { Upkeep(); });
    output->Start();
}

SoundCore::~SoundCore() {
    // The service thread calls Upkeep: stop it before anything it reads goes.
    output.reset();
}

void SoundCore::Shutdown() {
    output->StopService();
    CoreLock guard(*this);
    closed = true;
    for (CoreBuffer* buffer : buffers) buffer->StopLocked();
}

void SoundCore::Upkeep() {
    for (CoreBuffer* buffer : buffers) buffer->Upkeep();
}

void SoundCore::CommitBuffers() {
    for (CoreBuffer* buffer : buffers) buffer->CommitDeferred();
}

void SoundCore::ApplyRolloff() {
    for (CoreBuffer* buffer : buffers) buffer->Apply3D();
}

float VolumeToGain(LONG volume) {
    if (volume <= DSBVOLUME_MIN) return 0.0f;
    if (volume >= DSBVOLUME_MAX) return 1.0f;
    return std::pow(10.0f, float(volume) / 2000.0f);
}

void ToOpenAL(const D3DVECTOR& v, float out[3]) {
    out[0] = v.x;
    out[1] = v.y;
    out[2] = -v.z;
}

bool IsPlayableFormat(const WAVEFORMATEX* f) {
    if (!f) return false;
    bool ok = f->wFormatTag == WAVE_FORMAT_PCM && (f->nChannels == 1 || f->nChannels == 2) &&
              (f->wBitsPerSample == 8 || f->wBitsPerSample == 16) &&
              f->nBlockAlign == f->nChannels * f->wBitsPerSample / 8 &&
              f->nSamplesPerSec >= DSBFREQUENCY_MIN && f->nSamplesPerSec <= DSBFREQUENCY_MAX;
    if (!ok)
        NolLog("DirectSound: unsupported format (tag %u, %u channels, %u bits, %u Hz, block %u)\n",
               unsigned(f->wFormatTag), unsigned(f->nChannels), unsigned(f->wBitsPerSample),
               unsigned(f->nSamplesPerSec), unsigned(f->nBlockAlign));
    return ok;
}

}  // namespace nol::dsound8
