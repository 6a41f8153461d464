#include "sound/music.h"

#include "com/objbase.h"
#include "dmusic/dmusicreason.h"
#include "shell/log.h"
#include "sound/sound_device.h"

MusicStateRecord MusicState;

namespace {

void ShowError(const char* text) { MessageBoxA(GetActiveWindow(), text, "エラー", MB_SYSTEMMODAL); }

template <typename T>
void ReleaseInterface(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

bool Loaded() { return MusicState.segment && MusicState.performance; }

// Ends the "load(name) ... " line with `outcome` and, when there is one, the reason:
// why the file was refused or what the loader skipped of it ("can't load object: file
// not found.\n", "ok: skipped the rest of track 1: event cut short.\n").
void LogLoadOutcome(const char* outcome, const char* reason) {
    if (reason && reason[0])
        LogMessage("%s: %.160s.\n", outcome, reason);
    else
        LogMessage("%s.\n", outcome);
}

// The performance plays through the DirectSound object of the sound device, so that
// music and effects share one output.
int CreatePerformance() {
    if (FAILED(CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC,
                                IID_IDirectMusicPerformance8, (void**)&MusicState.performance))) {
        MusicState.performance = nullptr;
        ShowError("パフォーマンスが作成できません.");
        return 0;
    }
    IDirectSound* directSound = nullptr;
    if (SoundState.directSound)
        SoundState.directSound->QueryInterface(IID_IDirectSound, (void**)&directSound);
    HRESULT hr = MusicState.performance->InitAudio(nullptr, &directSound, nullptr,
                                                   DMUS_APATH_SHARED_STEREOPLUSREVERB, 64,
                                                   DMUS_AUDIOF_ALL, nullptr);
    if (FAILED(hr)) {
        ReleaseInterface(directSound);
        ShowError("パフォーマンスが初期化できません.");
        return 0;
    }
    ReleaseInterface(directSound);
    return 1;
}

}  // namespace

int InitDirectMusic() {
    LogSeparator();
    LogMessage("InitDirectMusic\n");
    if (FAILED(CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC,
                                IID_IDirectMusicLoader8, (void**)&MusicState.loader))) {
        MusicState.loader = nullptr;
        ShowError("DirectMusicローダーが作成できません.");
        return 0;
    }
    return 1;
}

void FreeDirectMusic() {
    LogSeparator();
    LogMessage("FreeDirectMusic\n");
    ReleaseMusic();
    ReleaseInterface(MusicState.loader);
}

int LoadMusic(const char* name) {
    LogMessage("load(%s) ... ", name);
    if (MusicState.segment) ReleaseMusic();
    if (!MusicState.loader) {
        LogLoadOutcome("can't load object", "no DirectMusic loader");
        return 0;
    }

    char directory[MAX_PATH];
    WCHAR wideDirectory[MAX_PATH];
    if (GetCurrentDirectoryA(MAX_PATH, directory) > 0 &&
        MultiByteToWideChar(CP_ACP, 0, directory, -1, wideDirectory, MAX_PATH) > 0)
        MusicState.loader->SetSearchDirectory(GUID_DirectMusicAllTypes, wideDirectory, FALSE);

    WCHAR wideName[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, MAX_PATH) == 0) {
        LogLoadOutcome("can't load object", "file name too long or not in the code page");
        return 0;
    }
    if (FAILED(MusicState.loader->LoadObjectFromFile(CLSID_DirectMusicSegment, IID_IDirectMusicSegment8,
                                                     wideName, (void**)&MusicState.segment))) {
        MusicState.segment = nullptr;
        LogLoadOutcome("can't load object", DirectMusicGetLastLoadError());
        return 0;
    }
    LogLoadOutcome("ok", DirectMusicGetLastLoadError());

    if (!CreatePerformance()) return 0;
    MusicState.segment->Download(MusicState.performance);
    return 1;
}

void PlayMusic(int loop) {
    if (!Loaded()) return;
    MusicState.segment->SetStartPoint(MusicState.resumePoint);
    MusicState.segment->SetRepeats(loop ? DMUS_SEG_REPEAT_INFINITE : 0);
    // A state still held from an earlier play is replaced by the new one.
    ReleaseInterface(MusicState.segmentState);
    MusicState.performance->PlaySegmentEx(MusicState.segment, nullptr, nullptr, 0, 0,
                                          &MusicState.segmentState, nullptr, nullptr);
}

void PauseMusic() {
    if (!Loaded() || !MusicState.segmentState) return;
    MusicState.performance->Stop(nullptr, nullptr, 0, 0);
    MusicState.segmentState->GetSeek(&MusicState.resumePoint);
    ReleaseInterface(MusicState.segmentState);
}

void StopMusic() {
    if (!Loaded()) return;
    MusicState.performance->Stop(nullptr, nullptr, 0, 0);
    MusicState.resumePoint = 0;
    ReleaseInterface(MusicState.segmentState);
}

int IsMusicPlaying() {
    if (!Loaded()) return 0;
    return MusicState.performance->IsPlaying(MusicState.segment, nullptr) == S_OK ? 1 : 0;
}

void ReleaseMusic() {
    StopMusic();
    if (MusicState.performance) {
        MusicState.performance->CloseDown();
        ReleaseInterface(MusicState.performance);
    }
    ReleaseInterface(MusicState.segment);
}
