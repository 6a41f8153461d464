// Opening and closing the sound device.
#include "sound/sound_device.h"

#include "shell/log.h"
#include "shell/window.h"
#include "sound/release.h"
#include "win32/windows.h"

SoundStateRecord SoundState;

namespace {

void ShowSoundError(const char* text) { MessageBoxA(GetActiveWindow(), text, "エラー", MB_SYSTEMMODAL); }

// Logs the switch's effect as the end of the line its caller began.
int FlagFromSwitch(const char* name) {
    if (HasSwitch(name)) {
        LogMessage("OFF\n");
        return 0;
    }
    LogMessage("ON\n");
    return 1;
}

int InitPrimaryBuffer() {
    LogMessage("3Dサウンド = ");
    SoundState.sound3DFlag = FlagFromSwitch("/3ds");
    LogMessage("エフェクト = ");
    SoundState.effectsFlag = FlagFromSwitch("/fx");

    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRLVOLUME;
    if (SoundState.sound3DFlag) desc.dwFlags |= DSBCAPS_CTRL3D;
    if (FAILED(SoundState.directSound->CreateSoundBuffer(&desc, &SoundState.primaryBuffer, nullptr))) {
        SoundState.primaryBuffer = nullptr;
        ShowSoundError("プライマリ・サウンドバッファが作成できません.");
        return 0;
    }
    WAVEFORMATEX format = MakeWaveFormat(44100, 16, 2);
    if (FAILED(SoundState.primaryBuffer->SetFormat(&format))) {
        ShowSoundError("サウンドフォーマットが指定できません.");
        return 0;
    }
    SoundState.primaryBuffer->GetVolume(&SoundState.primaryVolume);
    if (!SoundState.sound3DFlag) return 1;

    if (FAILED(SoundState.primaryBuffer->QueryInterface(IID_IDirectSound3DListener,
                                                        reinterpret_cast<void**>(&SoundState.listener)))) {
        SoundState.listener = nullptr;
        ShowSoundError("3Dリスナーが作成できません.");
        return 0;
    }
    SetListenerDistanceFactor(1.0f);
    SetListenerPosition(0.0f, 0.0f, 0.0f);
    SetListenerOrientation(0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0.0f);
    return 1;
}

}  // namespace

WAVEFORMATEX MakeWaveFormat(DWORD samplesPerSec, WORD bitsPerSample, WORD channels) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = samplesPerSec;
    format.nBlockAlign = WORD(channels * (bitsPerSample / 8));
    format.nAvgBytesPerSec = samplesPerSec * format.nBlockAlign;
    format.wBitsPerSample = bitsPerSample;
    format.cbSize = 0;
    return format;
}

int InitDirectSound() {
    LogSeparator();
    LogMessage("InitDirectSound\n");
    if (FAILED(DirectSoundCreate8(nullptr, &SoundState.directSound, nullptr))) {
        SoundState.directSound = nullptr;
        ShowSoundError("DirectSoundの初期化に失敗しました.");
        return 0;
    }
    return SetUpDirectSound();
}

int SetUpDirectSound() {
    // Priority level: the program may set the primary buffer's format.
    if (FAILED(SoundState.directSound->SetCooperativeLevel(mainWindow, DSSCL_PRIORITY))) {
        ShowSoundError("サウンドの協調レベルが設定できません.");
        return 0;
    }
    return InitPrimaryBuffer();
}

void FreeDirectSound() {
    LogSeparator();
    LogMessage("FreeDirectSound\n");
    if (SoundState.primaryBuffer) SetPrimaryVolume(SoundState.primaryVolume);
    ReleaseInterface(SoundState.listener);
    ReleaseInterface(SoundState.primaryBuffer);
    ReleaseInterface(SoundState.directSound);
}

void RestorePrimaryBuffer() {
    if (!SoundState.primaryBuffer) return;
    DWORD status = 0;
    SoundState.primaryBuffer->GetStatus(&status);
    if (status & DSBSTATUS_BUFFERLOST) {
        LogMessage("PB:DSBSTATUS_BUFFERLOST");
        SoundState.primaryBuffer->Restore();
    }
}

void SetPrimaryVolume(LONG volume) {
    if (SoundState.primaryBuffer) SoundState.primaryBuffer->SetVolume(volume);
}

void SetListenerDistanceFactor(float factor) {
    if (!SoundState.sound3DFlag || !SoundState.listener) return;
    SoundState.listener->SetDistanceFactor(factor, DS3D_IMMEDIATE);
}

void SetListenerPosition(float x, float y, float z) {
    if (!SoundState.sound3DFlag || !SoundState.listener) return;
    SoundState.listener->SetPosition(x, y, z, DS3D_IMMEDIATE);
}

void SetListenerOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ) {
    if (!SoundState.sound3DFlag || !SoundState.listener) return;
    SoundState.listener->SetOrientation(frontX, frontY, frontZ, topX, topY, topZ, DS3D_IMMEDIATE);
}
