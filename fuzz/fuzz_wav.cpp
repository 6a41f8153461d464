// WAV files into sound buffers: the RIFF walk of mmio over the input in memory
// (FOURCC_MEM), then CSoundBuffer's reading of the format and the samples into a
// scripted DirectSound that keeps the bytes, with 3D and effects on.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "sound/sound_buffer.h"
#include "sound/sound_device.h"
#include "sound_fakes.h"
#include "win32/mmsystem.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size > INT32_MAX) return 0;
    FakeDirectSound sound;
    SoundState = SoundStateRecord{};
    SoundState.directSound = &sound;
    SoundState.sound3DFlag = 1;
    SoundState.effectsFlag = 1;

    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = reinterpret_cast<HPSTR>(const_cast<uint8_t*>(bytes));
    info.cchBuffer = LONG(size);
    HMMIO mmio = mmioOpenA(nullptr, &info, MMIO_READ);
    FuzzCheck(mmio != nullptr, "memory opens");
    {
        CSoundBuffer buffer;
        if (buffer.LoadFrom(mmio) && buffer.buffer) {
            const DSBUFFERDESC& desc = sound.descs.back();
            const WAVEFORMATEX& format = sound.formats.back();
            // The samples come from the file: a header cannot ask for more.
            FuzzCheck(desc.dwBufferBytes <= size, "a buffer no larger than the file");
            FuzzCheck(format.nBlockAlign && desc.dwBufferBytes % format.nBlockAlign == 0, "whole sample frames");
        }
    }
    mmioClose(mmio, 0);
    FuzzCheck(OutstandingRefs(sound) == 0, "every interface is released with the buffer");
    SoundState = SoundStateRecord{};
    return 0;
}
