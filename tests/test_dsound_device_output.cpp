// A DirectSound object on an output device that OpenAL Soft drives itself (its
// null backend, which paces like a sound card and plays nothing): buffers are fed
// by the layer's service thread, advance, end and signal in real time.
#include <cstdlib>

#include "dsound_fixture.h"

namespace {

TEST(DirectSoundDeviceOutput, BuffersAdvanceEndAndSignalOnADeviceOpenALDrives) {
    // Read once, when OpenAL Soft starts: this process's first OpenAL call is below.
    setenv("ALSOFT_DRIVERS", "null", 1);
    CapturedLog().clear();
    NolSetLogSink(CaptureLog);
    IDirectSound8* ds = nullptr;
    ASSERT_EQ(DirectSoundCreate8(nullptr, &ds, nullptr), DS_OK);
    EXPECT_FALSE(LogHas("playing silently"));  // a device was found

    // A 200 ms one-shot ends on time and signals its stop.
    WAVEFORMATEX f = PcmFormat(2, 44100, 16);
    DSBUFFERDESC desc{sizeof desc, DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPOSITIONNOTIFY, 44100 / 5 * 4, 0,
                      &f, GUID_NULL};
    IDirectSoundBuffer* once = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &once, nullptr), DS_OK);
    HANDLE stopped = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY stop = {DSBPN_OFFSETSTOP, stopped};
    IDirectSoundNotify* notify = nullptr;
    ASSERT_EQ(once->QueryInterface(IID_IDirectSoundNotify, (void**)&notify), S_OK);
    notify->SetNotificationPositions(1, &stop);
    notify->Release();
    DWORD start = timeGetTime();
    once->Play(0, 0, 0);
    ASSERT_EQ(WaitForSingleObject(stopped, 3000), WAIT_OBJECT_0);
    DWORD took = timeGetTime() - start;
    EXPECT_GE(took, 170u);
    EXPECT_LT(took, 1500u);

    // A looping ring signals each of its four block ends, over and over.
    desc.dwBufferBytes = 4 * 4096;
    IDirectSoundBuffer* ring = nullptr;
    ASSERT_EQ(ds->CreateSoundBuffer(&desc, &ring, nullptr), DS_OK);
    HANDLE blockEnd = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    DSBPOSITIONNOTIFY ends[4];
    for (DWORD i = 0; i < 4; ++i) ends[i] = {4096 * i + 4095, blockEnd};
    ASSERT_EQ(ring->QueryInterface(IID_IDirectSoundNotify, (void**)&notify), S_OK);
    notify->SetNotificationPositions(4, ends);
    notify->Release();
    ring->Play(0, 0, DSBPLAY_LOOPING);
    start = timeGetTime();
    int signals = 0;
    while (timeGetTime() - start < 1000)
        if (WaitForSingleObject(blockEnd, 100) == WAIT_OBJECT_0) ++signals;
    // 1 s is 43 blocks of 1024 frames; waits may merge a few on a busy machine.
    EXPECT_GT(signals, 25);
    EXPECT_LT(signals, 50);
    DWORD play = 0, write = 0;
    ring->GetCurrentPosition(&play, &write);
    EXPECT_NE(play, write);  // the device commits ahead of what it plays

    ring->Release();
    once->Release();
    ds->Release();
    CloseHandle(stopped);
    CloseHandle(blockEnd);
    NolSetLogSink(nullptr);
}

}  // namespace
