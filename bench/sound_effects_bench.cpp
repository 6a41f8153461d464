// Measures what 16 sound effects playing at once cost: each a looping one-second
// mono sound with 3D control and one of the nine standard effects, placed around
// the listener. Reports the CPU time the process spends per second of sound, as a
// share of one core, two ways:
//   - rendered: the mix rendered by hand as fast as possible (loopback device);
//   - real time: the device running at its own pace for the given seconds,
//     measured against an idle device to take out what the process does anyway.
//
//   sound_effects_bench [seconds] [sounds]
#include <sys/resource.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "dsound8/dsound.h"
#include "dsound8/dsound_test_hooks.h"

namespace {

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

double WallSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

const GUID* kEffects[] = {&GUID_DSFX_WAVES_REVERB,        &GUID_DSFX_STANDARD_I3DL2REVERB,
                          &GUID_DSFX_STANDARD_ECHO,       &GUID_DSFX_STANDARD_CHORUS,
                          &GUID_DSFX_STANDARD_FLANGER,    &GUID_DSFX_STANDARD_GARGLE,
                          &GUID_DSFX_STANDARD_COMPRESSOR, &GUID_DSFX_STANDARD_PARAMEQ,
                          &GUID_DSFX_STANDARD_DISTORTION};

struct Scene {
    IDirectSound8* ds = nullptr;
    std::vector<IDirectSoundBuffer*> buffers;

    bool Open(int sounds) {
        if (DirectSoundCreate8(nullptr, &ds, nullptr) != DS_OK) return false;
        ds->SetCooperativeLevel(nullptr, DSSCL_PRIORITY);
        WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
        std::vector<int16_t> samples(22050);
        for (int i = 0; i < sounds; ++i) {
            for (size_t k = 0; k < samples.size(); ++k)
                samples[k] = int16_t(8000 * std::sin(2 * M_PI * (200.0 + 50 * i) * k / 22050));
            DSBUFFERDESC desc{sizeof desc, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRL3D | DSBCAPS_CTRLFX,
                              DWORD(samples.size() * 2), 0, &f, GUID_NULL};
            IDirectSoundBuffer* b = nullptr;
            if (ds->CreateSoundBuffer(&desc, &b, nullptr) != DS_OK) return false;
            void *p1, *p2;
            DWORD n1, n2;
            b->Lock(0, desc.dwBufferBytes, &p1, &n1, &p2, &n2, 0);
            std::copy(samples.begin(), samples.end(), static_cast<int16_t*>(p1));
            b->Unlock(p1, n1, p2, n2);
            IDirectSoundBuffer8* b8 = nullptr;
            b->QueryInterface(IID_IDirectSoundBuffer8, (void**)&b8);
            DSEFFECTDESC fx{sizeof fx, 0, *kEffects[i % 9], 0, 0};
            if (b8->SetFX(1, &fx, nullptr) != DS_OK) std::fprintf(stderr, "effect %d not set\n", i);
            b8->Release();
            IDirectSound3DBuffer* b3 = nullptr;
            b->QueryInterface(IID_IDirectSound3DBuffer, (void**)&b3);
            double angle = 2 * M_PI * i / sounds;
            b3->SetPosition(float(3 * std::cos(angle)), 0, float(3 * std::sin(angle)), DS3D_IMMEDIATE);
            b3->Release();
            b->Play(0, 0, DSBPLAY_LOOPING);
            buffers.push_back(b);
        }
        return true;
    }
    void Close() {
        for (auto* b : buffers) b->Release();
        buffers.clear();
        if (ds) ds->Release();
        ds = nullptr;
    }
};

double RealTimeShare(int sounds, double seconds) {
    Scene scene;
    if (!scene.Open(sounds)) return -1;
    double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    timespec nap{0, 50 * 1000 * 1000};
    while (WallSeconds() - wall0 < seconds) nanosleep(&nap, nullptr);
    double share = (CpuSeconds() - cpu0) / (WallSeconds() - wall0);
    scene.Close();
    return share;
}

}  // namespace

int main(int argc, char** argv) {
    double seconds = argc > 1 ? std::atof(argv[1]) : 10.0;
    int sounds = argc > 2 ? std::atoi(argv[2]) : 16;
    if (seconds <= 0) seconds = 10.0;
    if (sounds < 1 || sounds > 64) sounds = 16;

    NolDirectSoundUseManualOutput(true);
    Scene scene;
    if (!scene.Open(sounds)) {
        std::fprintf(stderr, "no sound device\n");
        return 1;
    }
    std::vector<int16_t> out(44100 * 2);
    double cpu0 = CpuSeconds();
    for (int s = 0; s < int(seconds); ++s) NolDirectSoundRender(scene.ds, out.data(), 44100);
    double rendered = (CpuSeconds() - cpu0) / int(seconds);
    scene.Close();
    NolDirectSoundUseManualOutput(false);
    std::printf("%d effect sounds, rendered by hand: %.2f %% of one core\n", sounds, 100 * rendered);

    double idle = RealTimeShare(0, seconds);
    double busy = RealTimeShare(sounds, seconds);
    if (idle < 0 || busy < 0) {
        std::fprintf(stderr, "no sound device\n");
        return 1;
    }
    std::printf("%d effect sounds, real time: %.2f %% of one core (idle device %.2f %%)\n", sounds,
                100 * (busy - idle), 100 * idle);
    return 0;
}
