// The streaming ring buffer.
#include "sound/wave_stream.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "shell/log.h"
#include "sound/release.h"
#include "sound/sound_device.h"
#include "win32/windows.h"

namespace {

// A device that has stopped signalling must not hang the caller for ever: after
// this many ring lengths without a block end, Enqueue gives up.
constexpr uint64_t kWaitRings = 4;
// Floor of the wait, for rings so short that scheduling jitter alone exceeds them.
constexpr uint64_t kMinWaitMs = 200;
// Used when the format gives no byte rate to measure the ring by.
constexpr DWORD kUnknownRateWaitMs = 2000;

DWORD WaitLimitFor(const WAVEFORMATEX& format, DWORD ringBytes) {
    if (format.nAvgBytesPerSec == 0) return kUnknownRateWaitMs;
    uint64_t ringMs = (uint64_t(ringBytes) * 1000 + format.nAvgBytesPerSec - 1) / format.nAvgBytesPerSec;
    return DWORD(std::min<uint64_t>(std::max(ringMs * kWaitRings, kMinWaitMs), 60000));
}

}  // namespace

int CWaveStream::CreateSoundBuffer(const WAVEFORMATEX* format, int blockSize, int count) {
    Free();
    uint64_t ringBytes = uint64_t(blockSize > 0 ? blockSize : 0) * uint64_t(count > 0 ? count : 0);
    if (!format || ringBytes == 0 || ringBytes > DSBSIZE_MAX || !SoundState.directSound) {
        LogMessage("CWaveStream::CreateSoundBuffer\n");
        return 0;
    }
    size = DWORD(ringBytes);

    WAVEFORMATEX bufferFormat = *format;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_LOCDEFER;
    desc.dwBufferBytes = size;
    desc.lpwfxFormat = &bufferFormat;
    if (FAILED(SoundState.directSound->CreateSoundBuffer(&desc, &buffer, nullptr))) {
        buffer = nullptr;
        LogMessage("CWaveStream::CreateSoundBuffer\n");
        return 0;
    }

    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    if (FAILED(buffer->Lock(0, size, &part1, &bytes1, &part2, &bytes2, 0))) return 0;
    if (part1) std::memset(part1, 0, bytes1);
    if (part2) std::memset(part2, 0, bytes2);
    buffer->Unlock(part1, bytes1, part2, bytes2);

    if (FAILED(buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&notify)))) {
        notify = nullptr;
        LogMessage("IDirectSoundNotify\n");
        return 0;
    }
    event = CreateEventA(nullptr, FALSE, FALSE, nullptr);

    // One position per block, at its last byte.
    std::vector<DSBPOSITIONNOTIFY> table(count);
    for (int i = 0; i < count; ++i) {
        table[i].dwOffset = DWORD(blockSize) * DWORD(i) + DWORD(blockSize) - 1;
        table[i].hEventNotify = event;
    }
    if (FAILED(notify->SetNotificationPositions(DWORD(count), table.data()))) {
        LogMessage("SetNotificationPositions\n");
        return 0;
    }

    waitLimit = WaitLimitFor(*format, size);
    writePosition = 0;
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    return 1;
}

// The stretch from the play position up to the device's write position is already
// on its way out; a write that has fallen into it (the caller was late) continues
// at the write position instead of overwriting sound about to play.
void CWaveStream::CatchUpWithDevice() {
    DWORD play = 0, write = 0;
    if (FAILED(buffer->GetCurrentPosition(&play, &write))) return;
    bool inside = false;
    if (play < write)
        inside = play < writePosition && writePosition < write;
    else if (play > write)
        inside = writePosition > play || writePosition < write;
    if (inside) writePosition = write % size;
}

int CWaveStream::Enqueue(const void* data, int length) {
    if (!buffer || !event || !data || length <= 0) return 0;
    if (DWORD(length) > size) {
        LogMessage("CWaveStream::Enqueue: %d bytes do not fit a ring of %u\n", length, unsigned(size));
        return 0;
    }
    DWORD waited = WaitForSingleObject(event, waitLimit);
    if (waited == WAIT_TIMEOUT) {
        LogMessage("time out CWaveStream::Enqueue\n");
        return 0;
    }
    if (waited != WAIT_OBJECT_0) return 0;

    CatchUpWithDevice();
    void* part1 = nullptr;
    void* part2 = nullptr;
    DWORD bytes1 = 0, bytes2 = 0;
    HRESULT hr = buffer->Lock(writePosition, DWORD(length), &part1, &bytes1, &part2, &bytes2, 0);
    if (hr == DSERR_BUFFERLOST) {
        // The parts are not valid after a loss: restore and queue nothing.
        buffer->Restore();
        return 0;
    }
    if (FAILED(hr)) return 0;

    const auto* bytes = static_cast<const unsigned char*>(data);
    DWORD first = std::min<DWORD>(bytes1, DWORD(length));
    DWORD second = part2 ? std::min<DWORD>(bytes2, DWORD(length) - first) : 0;
    std::memcpy(part1, bytes, first);
    if (second) std::memcpy(part2, bytes + first, second);
    buffer->Unlock(part1, bytes1, part2, bytes2);

    writePosition = (writePosition + bytes1 + (part2 ? bytes2 : 0)) % size;
    return 1;
}

void CWaveStream::Free() {
    if (buffer) buffer->Stop();
    ReleaseInterface(buffer);
    ReleaseInterface(notify);
    if (event) {
        CloseHandle(event);
        event = nullptr;
    }
}
