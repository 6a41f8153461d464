// Sound effects loaded from WAV files. The samples go straight from the file into
// the locked buffer; the buffer is never larger than the samples the file holds.
#include "sound/sound_buffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "shell/log.h"
#include "sound/release.h"
#include "sound/sound_device.h"

namespace {

// The format chunk is read as its first 18 bytes, whatever its declared size.
constexpr LONG kFormatBytes = 18;

uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const unsigned char* p) { return uint32_t(Le16(p)) | uint32_t(Le16(p + 2)) << 16; }

WAVEFORMATEX ReadFormat(HMMIO mmio) {
    unsigned char bytes[kFormatBytes] = {};
    mmioRead(mmio, reinterpret_cast<HPSTR>(bytes), kFormatBytes);
    WAVEFORMATEX format{};
    format.wFormatTag = Le16(bytes);
    format.nChannels = Le16(bytes + 2);
    format.nSamplesPerSec = Le32(bytes + 4);
    format.nAvgBytesPerSec = Le32(bytes + 8);
    format.nBlockAlign = Le16(bytes + 12);
    format.wBitsPerSample = Le16(bytes + 14);
    format.cbSize = Le16(bytes + 16);
    return format;
}

// Sizes and rates are divided by further on; a format that cannot describe PCM
// samples is refused here instead.
bool IsPlayablePcm(const WAVEFORMATEX& f) {
    if (f.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (f.nChannels == 0 || f.nSamplesPerSec == 0 || f.nBlockAlign == 0) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    return f.nBlockAlign == f.nChannels * (f.wBitsPerSample / 8);
}

// The data chunk's size, cut to what the file really holds after its start and to
// whole sample frames, so that a lying header cannot make a huge buffer. Leaves the
// file at the start of the samples.
DWORD PresentDataBytes(HMMIO mmio, const MMCKINFO& data, WORD blockAlign) {
    LONG end = mmioSeek(mmio, 0, SEEK_END);
    mmioSeek(mmio, LONG(data.dwDataOffset), SEEK_SET);
    if (end < 0 || DWORD(end) < data.dwDataOffset) return 0;
    DWORD size = std::min<DWORD>(data.cksize, DWORD(end) - data.dwDataOffset);
    return size - size % blockAlign;
}

void Silence(void* to, DWORD bytes, const WAVEFORMATEX& format) {
    std::memset(to, format.wBitsPerSample == 8 ? 0x80 : 0, bytes);
}

// Reads into one locked part; whatever the file cannot give becomes silence.
bool ReadPart(HMMIO mmio, void* part, DWORD bytes, const WAVEFORMATEX& format) {
    LONG got = mmioRead(mmio, static_cast<HPSTR>(part), LONG(bytes));
    if (got < 0) got = 0;
    if (DWORD(got) == bytes) return true;
    Silence(static_cast<char*>(part) + got, bytes - got, format);
    return false;
}

// The effect classes by effect number.
const GUID* const kEffects[] = {
    &GUID_DSFX_WAVES_REVERB,        &GUID_DSFX_STANDARD_I3DL2REVERB, &GUID_DSFX_STANDARD_ECHO,
    &GUID_DSFX_STANDARD_CHORUS,     &GUID_DSFX_STANDARD_FLANGER,     &GUID_DSFX_STANDARD_GARGLE,
    &GUID_DSFX_STANDARD_COMPRESSOR, &GUID_DSFX_STANDARD_PARAMEQ,     &GUID_DSFX_STANDARD_DISTORTION,
};
constexpr int kEffectCount = sizeof kEffects / sizeof kEffects[0];

}  // namespace

int CSoundBuffer::Load(const char* fileName) {
    if (buffer) Free();
    name = fileName ? fileName : "";
    LogMessage("load(%s) ... ", name.c_str());
    HMMIO mmio = mmioOpenA(name.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
    if (!mmio) {
        LogMessage("open error.\n");
        return 0;
    }
    int loaded = LoadFrom(mmio);
    mmioClose(mmio, 0);
    if (loaded) LogMessage("ok.\n");
    return loaded;
}

int CSoundBuffer::LoadFrom(HMMIO mmio) {
    if (buffer) Free();
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        LogMessage("RIFF is not found.\n");
        return 0;
    }
    // The first chunk is taken as the format, whatever its id.
    MMCKINFO chunk{};
    if (mmioDescend(mmio, &chunk, &riff, 0) != MMSYSERR_NOERROR) {
        LogMessage("fmt is not found.\n");
        return 0;
    }
    WAVEFORMATEX format = ReadFormat(mmio);
    if (!IsPlayablePcm(format)) {
        LogMessage("is not PCM format.\n");
        return 0;
    }
    if (mmioAscend(mmio, &chunk, 0) != MMSYSERR_NOERROR) {
        LogMessage("ascend error.\n");
        return 0;
    }
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(mmio, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        LogMessage("chunk is not found.\n");
        return 0;
    }
    return CreateBuffer(mmio, format, PresentDataBytes(mmio, chunk, format.nBlockAlign));
}

int CSoundBuffer::CreateBuffer(HMMIO mmio, const WAVEFORMATEX& format, DWORD size) {
    WAVEFORMATEX bufferFormat = format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_CTRLVOLUME;
    if (SoundState.sound3DFlag) desc.dwFlags |= DSBCAPS_CTRL3D;
    if (SoundState.effectsFlag) desc.dwFlags |= DSBCAPS_CTRLFX;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = &bufferFormat;

    HRESULT hr = SoundState.directSound ? SoundState.directSound->CreateSoundBuffer(&desc, &buffer, nullptr)
                                        : DSERR_UNINITIALIZED;
    if (FAILED(hr)) {
        buffer = nullptr;
        if (hr == DSERR_BUFFERTOOSMALL) {
            // Too short for effects: the sound stays silent but counts as loaded.
            LogMessage("data is too small.\n");
            return 1;
        }
        LogMessage(hr == E_OUTOFMEMORY ? "out of memory.\n" : "can't create buffer.\n");
        return 0;
    }
    if (!FillBuffer(mmio, format, size)) return 0;
    return GetInterfaces();
}

int CSoundBuffer::FillBuffer(HMMIO mmio, const WAVEFORMATEX& format, DWORD size) {
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    HRESULT hr = buffer->Lock(0, size, &part1, &bytes1, &part2, &bytes2, 0);
    if (hr == DSERR_BUFFERLOST) {
        buffer->Restore();
        return 0;
    }
    if (FAILED(hr)) return 0;
    bool filled = ReadPart(mmio, part1, bytes1, format);
    if (part2) {
        if (filled)
            ReadPart(mmio, part2, bytes2, format);
        else
            Silence(part2, bytes2, format);
    }
    return buffer->Unlock(part1, bytes1, part2, bytes2) == DS_OK ? 1 : 0;
}

int CSoundBuffer::GetInterfaces() {
    if (SoundState.effectsFlag &&
        FAILED(buffer->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&buffer8)))) {
        buffer8 = nullptr;
        LogMessage("DirectSoundBuffer8\n");
        return 0;
    }
    if (SoundState.sound3DFlag &&
        FAILED(buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&buffer3d)))) {
        buffer3d = nullptr;
        LogMessage("DirectSound3DBuffer\n");
        return 0;
    }
    return 1;
}

int CSoundBuffer::Duplicate(const CSoundBuffer& source) {
    if (buffer) Free();
    if (!SoundState.directSound || !source.buffer) return 0;
    if (FAILED(SoundState.directSound->DuplicateSoundBuffer(source.buffer, &buffer))) {
        buffer = nullptr;
        return 0;
    }
    return GetInterfaces();
}

void CSoundBuffer::Free() {
    if (!name.empty()) {
        LogMessage("release(%s)\n", name.c_str());
        name.clear();
    }
    Stop();
    ReleaseInterface(buffer3d);
    ReleaseInterface(buffer8);
    ReleaseInterface(buffer);
}

void CSoundBuffer::Stop() {
    if (buffer) buffer->Stop();
}

void CSoundBuffer::Play(int loop) {
    if (!buffer) return;
    if (buffer->SetCurrentPosition(0) != DS_OK) {
        Stop();
        buffer->SetCurrentPosition(0);
    }
    if (buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0) != DSERR_BUFFERLOST) return;

    // Lost to another program: restore, and reload the samples for the next play.
    LogMessage("DSERR_BUFFERLOST:%s", name.c_str());
    RestorePrimaryBuffer();
    buffer->Restore();
    std::string file = name;  // Load frees this buffer, which empties the name
    Load(file.c_str());
}

int CSoundBuffer::IsPlaying() {
    if (!buffer) return 0;
    DWORD status = 0;
    buffer->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) ? 1 : 0;
}

void CSoundBuffer::SetEffect(int number) {
    if (!SoundState.effectsFlag || !buffer8) return;
    if (number < 0 || number >= kEffectCount) {
        buffer8->SetFX(0, nullptr, nullptr);
        return;
    }
    DSEFFECTDESC desc{};
    desc.dwSize = sizeof(DSEFFECTDESC);
    desc.dwFlags = 0;
    desc.guidDSFXClass = *kEffects[number];
    DWORD result = 0;
    buffer8->SetFX(1, &desc, &result);
}
