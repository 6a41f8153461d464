// DirectMusic, the part the framework plays music with: the loader, the performance,
// segments and segment states, with their original names, GUIDs and values.
// Objects are made with CoCreateInstance (com/objbase.h).
#pragma once

#include <cstdint>

#include "com/objbase.h"
#include "win32/windows.h"

// The DirectSound object the performance plays through (dsound8/dsound.h).
struct IDirectSound;

typedef int32_t MUSIC_TIME;       // ticks; a quarter note is DMUS_PPQ ticks
typedef int64_t REFERENCE_TIME;   // 100-nanosecond units

#define DMUS_PPQ 768

// ---- class and interface identifiers -------------------------------------------
extern const CLSID CLSID_DirectMusicLoader;
extern const CLSID CLSID_DirectMusicPerformance;
extern const CLSID CLSID_DirectMusicSegment;
extern const GUID GUID_DirectMusicAllTypes;

extern const IID IID_IDirectMusicLoader;
extern const IID IID_IDirectMusicLoader8;
extern const IID IID_IDirectMusicPerformance;
extern const IID IID_IDirectMusicPerformance8;
extern const IID IID_IDirectMusicSegment;
extern const IID IID_IDirectMusicSegment8;
extern const IID IID_IDirectMusicSegmentState;
extern const IID IID_IDirectMusicSegmentState8;

// ---- values --------------------------------------------------------------------
#define DMUS_SEG_REPEAT_INFINITE 0xFFFFFFFFu

// Standard audio paths for InitAudio and CreateStandardAudioPath.
#define DMUS_APATH_SHARED_STEREOPLUSREVERB 1
#define DMUS_APATH_DYNAMIC_3D 6
#define DMUS_APATH_DYNAMIC_MONO 7
#define DMUS_APATH_DYNAMIC_STEREO 8

// InitAudio feature flags.
#define DMUS_AUDIOF_3D 0x1
#define DMUS_AUDIOF_ENVIRON 0x2
#define DMUS_AUDIOF_EAX 0x4
#define DMUS_AUDIOF_DMOS 0x8
#define DMUS_AUDIOF_STREAMING 0x10
#define DMUS_AUDIOF_BUFFERS 0x20
#define DMUS_AUDIOF_ALL 0x3F

// DMUS_AUDIOPARAMS::dwValidData
#define DMUS_AUDIOPARAMS_FEATURES 0x00000001
#define DMUS_AUDIOPARAMS_VOICES 0x00000002
#define DMUS_AUDIOPARAMS_SAMPLERATE 0x00000004
#define DMUS_AUDIOPARAMS_DEFAULTSYNTH 0x00000008

// PlaySegmentEx and Stop flags (the framework passes 0: primary segment, now).
#define DMUS_SEGF_REFTIME 0x40
#define DMUS_SEGF_SECONDARY 0x80
#define DMUS_SEGF_QUEUE 0x100
#define DMUS_SEGF_CONTROL 0x200
#define DMUS_SEGF_DEFAULT 0x4000
#define DMUS_SEGF_NOINVALIDATE 0x8000

// ---- results -------------------------------------------------------------------
#define DMUS_S_PARTIALLOAD ((HRESULT)0x08780091)
#define DMUS_E_NOT_INIT ((HRESULT)0x88781163)
#define DMUS_E_NO_AUDIOPATH ((HRESULT)0x88781180)
#define DMUS_E_ALREADY_INITED ((HRESULT)0x88781187)
#define DMUS_E_SEGMENT_INIT_FAILED ((HRESULT)0x8878118D)
#define DMUS_E_OUT_OF_RANGE ((HRESULT)0x88781101)
#define DMUS_E_AUDIOPATHS_NOT_VALID ((HRESULT)0x88781181)
#define DMUS_E_UNSUPPORTED_STREAM ((HRESULT)0x887810FB)
#define DMUS_E_LOADER_NOCLASSID ((HRESULT)0x88781170)
#define DMUS_E_LOADER_BADPATH ((HRESULT)0x88781171)
#define DMUS_E_LOADER_FAILEDOPEN ((HRESULT)0x88781172)
#define DMUS_E_LOADER_FORMATNOTSUPPORTED ((HRESULT)0x88781173)
#define DMUS_E_LOADER_FAILEDCREATE ((HRESULT)0x88781174)

struct DMUS_AUDIOPARAMS {
    DWORD dwSize;
    BOOL fInitNow;
    DWORD dwValidData;
    DWORD dwFeatures;
    DWORD dwVoices;
    DWORD dwSampleRate;
    CLSID clsidDefaultSynth;
};

struct IDirectMusic;
struct IDirectMusicSegment;
struct IDirectMusicSegmentState;

// ---- loader --------------------------------------------------------------------
struct IDirectMusicLoader : IUnknown {
    // Where the loader looks for objects named without a path; fClear empties the
    // cache of objects found through the old directory.
    STDMETHOD(SetSearchDirectory)(REFGUID rguidClass, WCHAR* pwzPath, BOOL fClear) = 0;
    STDMETHOD(ClearCache)(REFGUID rguidClass) = 0;
};

struct IDirectMusicLoader8 : IDirectMusicLoader {
    // A path without a folder is taken relative to the search directory.
    STDMETHOD(LoadObjectFromFile)(REFGUID rguidClassID, REFIID iidInterfaceID, WCHAR* pwzFilePath,
                                  void** ppObject) = 0;
};

// ---- segment -------------------------------------------------------------------
struct IDirectMusicSegment : IUnknown {
    STDMETHOD(GetLength)(MUSIC_TIME* pmtLength) = 0;
    // Number of times the segment plays again after the first time.
    STDMETHOD(SetRepeats)(DWORD dwRepeats) = 0;
    STDMETHOD(GetRepeats)(DWORD* pdwRepeats) = 0;
    // Where in the segment the next playing starts; must lie before its length.
    STDMETHOD(SetStartPoint)(MUSIC_TIME mtStart) = 0;
    STDMETHOD(GetStartPoint)(MUSIC_TIME* pmtStart) = 0;
};

struct IDirectMusicSegment8 : IDirectMusicSegment {
    // Readies the segment's instruments on a performance (or an audio path of one).
    STDMETHOD(Download)(IUnknown* pAudioPath) = 0;
    STDMETHOD(Unload)(IUnknown* pAudioPath) = 0;
};

// ---- segment state -------------------------------------------------------------
struct IDirectMusicSegmentState : IUnknown {
    // The position reached in the segment, repeats folded in.
    STDMETHOD(GetSeek)(MUSIC_TIME* pmtSeek) = 0;
    STDMETHOD(GetStartPoint)(MUSIC_TIME* pmtStart) = 0;
    STDMETHOD(GetSegment)(IDirectMusicSegment** ppSegment) = 0;
};

// ---- performance ---------------------------------------------------------------
struct IDirectMusicPerformance : IUnknown {
    // Null segment and state with time 0 and no flags: stop everything, now.
    STDMETHOD(Stop)(IDirectMusicSegment* pSegment, IDirectMusicSegmentState* pSegmentState,
                    MUSIC_TIME mtTime, DWORD dwFlags) = 0;
    // S_OK while the segment (or the state) plays, S_FALSE otherwise.
    STDMETHOD(IsPlaying)(IDirectMusicSegment* pSegment, IDirectMusicSegmentState* pSegState) = 0;
    STDMETHOD(GetTime)(REFERENCE_TIME* prtNow, MUSIC_TIME* pmtNow) = 0;
    STDMETHOD(CloseDown)() = 0;
};

struct IDirectMusicPerformance8 : IDirectMusicPerformance {
    // Opens the synthesiser on the given DirectSound object's output (or the
    // default device when there is none).
    STDMETHOD(InitAudio)(IDirectMusic** ppDirectMusic, IDirectSound** ppDirectSound, HWND hWnd,
                         DWORD dwDefaultPathType, DWORD dwPChannelCount, DWORD dwFlags,
                         DMUS_AUDIOPARAMS* pParams) = 0;
    STDMETHOD(PlaySegmentEx)(IUnknown* pSource, WCHAR* pwzSegmentName, IUnknown* pTransition,
                             DWORD dwFlags, int64_t i64StartTime,
                             IDirectMusicSegmentState** ppSegmentState, IUnknown* pFrom,
                             IUnknown* pAudioPath) = 0;
};

typedef IDirectMusicLoader8* LPDIRECTMUSICLOADER8;
typedef IDirectMusicPerformance8* LPDIRECTMUSICPERFORMANCE8;
typedef IDirectMusicSegment8* LPDIRECTMUSICSEGMENT8;
typedef IDirectMusicSegmentState* LPDIRECTMUSICSEGMENTSTATE;
