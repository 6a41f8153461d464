// DirectSound 8: the device object, primary and secondary buffers, the 3D
// listener and 3D buffers, position notifications and the standard effects,
// with their original names and values. Implemented over OpenAL Soft.
#pragma once

#include <cfloat>

#include "com/objbase.h"
#include "d3d8/d3d8types.h"
#include "win32/windows.h"

typedef float D3DVALUE;
typedef float FLOAT;
typedef const GUID* LPCGUID;
typedef GUID* LPGUID;
typedef uintptr_t DWORD_PTR;
typedef int16_t SHORT;
typedef D3DVECTOR* LPD3DVECTOR;

// ---- wave formats -------------------------------------------------------------
// Also declared by the multimedia header; whichever comes first defines it.
#ifndef NOL_WAVEFORMATEX_DEFINED
#define NOL_WAVEFORMATEX_DEFINED
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
#endif
#ifndef WAVE_FORMAT_PCM
#define WAVE_FORMAT_PCM 1
#endif

// ---- results --------------------------------------------------------------------
#define _FACDS 0x878
#define MAKE_DSHRESULT(code) ((HRESULT)(0x80000000u | (_FACDS << 16) | (code)))

#define DS_OK S_OK
#define DS_NO_VIRTUALIZATION ((HRESULT)0x0878000A)
#define DS_INCOMPLETE ((HRESULT)0x08780014)
#define DSERR_ALLOCATED MAKE_DSHRESULT(10)
#define DSERR_CONTROLUNAVAIL MAKE_DSHRESULT(30)
#define DSERR_INVALIDPARAM E_INVALIDARG
#define DSERR_INVALIDCALL MAKE_DSHRESULT(50)
#define DSERR_GENERIC E_FAIL
#define DSERR_PRIOLEVELNEEDED MAKE_DSHRESULT(70)
#define DSERR_OUTOFMEMORY E_OUTOFMEMORY
#define DSERR_BADFORMAT MAKE_DSHRESULT(100)
#define DSERR_UNSUPPORTED E_NOTIMPL
#define DSERR_NODRIVER MAKE_DSHRESULT(120)
#define DSERR_ALREADYINITIALIZED MAKE_DSHRESULT(130)
#define DSERR_NOAGGREGATION ((HRESULT)0x80040110)
#define DSERR_BUFFERLOST MAKE_DSHRESULT(150)
#define DSERR_OTHERAPPHASPRIO MAKE_DSHRESULT(160)
#define DSERR_UNINITIALIZED MAKE_DSHRESULT(170)
#define DSERR_NOINTERFACE E_NOINTERFACE
#define DSERR_ACCESSDENIED ((HRESULT)0x80070005)
#define DSERR_BUFFERTOOSMALL MAKE_DSHRESULT(180)
#define DSERR_DS8_REQUIRED MAKE_DSHRESULT(190)
#define DSERR_SENDLOOP MAKE_DSHRESULT(200)
#define DSERR_BADSENDBUFFERGUID MAKE_DSHRESULT(210)
#define DSERR_OBJECTNOTFOUND MAKE_DSHRESULT(4449)
#define DSERR_FXUNAVAILABLE MAKE_DSHRESULT(220)

// ---- cooperative levels -------------------------------------------------------------
#define DSSCL_NORMAL 0x00000001
#define DSSCL_PRIORITY 0x00000002
#define DSSCL_EXCLUSIVE 0x00000003
#define DSSCL_WRITEPRIMARY 0x00000004

// ---- device capabilities (DSCAPS::dwFlags), speakers, certification ---------------
#define DSCAPS_PRIMARYMONO 0x00000001
#define DSCAPS_PRIMARYSTEREO 0x00000002
#define DSCAPS_PRIMARY8BIT 0x00000004
#define DSCAPS_PRIMARY16BIT 0x00000008
#define DSCAPS_CONTINUOUSRATE 0x00000010
#define DSCAPS_EMULDRIVER 0x00000020
#define DSCAPS_CERTIFIED 0x00000040
#define DSCAPS_SECONDARYMONO 0x00000100
#define DSCAPS_SECONDARYSTEREO 0x00000200
#define DSCAPS_SECONDARY8BIT 0x00000400
#define DSCAPS_SECONDARY16BIT 0x00000800

#define DSSPEAKER_HEADPHONE 0x00000001
#define DSSPEAKER_MONO 0x00000002
#define DSSPEAKER_QUAD 0x00000003
#define DSSPEAKER_STEREO 0x00000004
#define DSSPEAKER_SURROUND 0x00000005

#define DS_CERTIFIED 0x00000000
#define DS_UNCERTIFIED 0x00000001

// ---- buffer capabilities ----------------------------------------------------------------
#define DSBCAPS_PRIMARYBUFFER 0x00000001
#define DSBCAPS_STATIC 0x00000002
#define DSBCAPS_LOCHARDWARE 0x00000004
#define DSBCAPS_LOCSOFTWARE 0x00000008
#define DSBCAPS_CTRL3D 0x00000010
#define DSBCAPS_CTRLFREQUENCY 0x00000020
#define DSBCAPS_CTRLPAN 0x00000040
#define DSBCAPS_CTRLVOLUME 0x00000080
#define DSBCAPS_CTRLPOSITIONNOTIFY 0x00000100
#define DSBCAPS_CTRLFX 0x00000200
#define DSBCAPS_STICKYFOCUS 0x00004000
#define DSBCAPS_GLOBALFOCUS 0x00008000
#define DSBCAPS_GETCURRENTPOSITION2 0x00010000
#define DSBCAPS_MUTE3DATMAXDISTANCE 0x00020000
#define DSBCAPS_LOCDEFER 0x00040000

#define DSBPLAY_LOOPING 0x00000001
#define DSBPLAY_LOCHARDWARE 0x00000002
#define DSBPLAY_LOCSOFTWARE 0x00000004
#define DSBPLAY_TERMINATEBY_TIME 0x00000008
#define DSBPLAY_TERMINATEBY_DISTANCE 0x00000010
#define DSBPLAY_TERMINATEBY_PRIORITY 0x00000020

#define DSBSTATUS_PLAYING 0x00000001
#define DSBSTATUS_BUFFERLOST 0x00000002
#define DSBSTATUS_LOOPING 0x00000004
#define DSBSTATUS_LOCHARDWARE 0x00000008
#define DSBSTATUS_LOCSOFTWARE 0x00000010
#define DSBSTATUS_TERMINATED 0x00000020

#define DSBLOCK_FROMWRITECURSOR 0x00000001
#define DSBLOCK_ENTIREBUFFER 0x00000002

#define DSBFREQUENCY_ORIGINAL 0
#define DSBFREQUENCY_MIN 100
#define DSBFREQUENCY_MAX 100000

#define DSBPAN_LEFT (-10000)
#define DSBPAN_CENTER 0
#define DSBPAN_RIGHT 10000

// Volumes are attenuations in hundredths of a decibel; the minimum is silence.
#define DSBVOLUME_MIN (-10000)
#define DSBVOLUME_MAX 0

#define DSBSIZE_MIN 4
#define DSBSIZE_MAX 0x0FFFFFFF
// Shortest buffer, in milliseconds, that takes effects on the original platform.
#define DSBSIZE_FX_MIN 150

#define DSBPN_OFFSETSTOP 0xFFFFFFFFu

// ---- 3D -----------------------------------------------------------------------------
#define DS3D_IMMEDIATE 0x00000000
#define DS3D_DEFERRED 0x00000001

#define DS3DMODE_NORMAL 0x00000000
#define DS3DMODE_HEADRELATIVE 0x00000001
#define DS3DMODE_DISABLE 0x00000002

#define DS3D_MINDISTANCEFACTOR FLT_MIN
#define DS3D_MAXDISTANCEFACTOR FLT_MAX
#define DS3D_DEFAULTDISTANCEFACTOR 1.0f
#define DS3D_MINROLLOFFFACTOR 0.0f
#define DS3D_MAXROLLOFFFACTOR 10.0f
#define DS3D_DEFAULTROLLOFFFACTOR 1.0f
#define DS3D_MINDOPPLERFACTOR 0.0f
#define DS3D_MAXDOPPLERFACTOR 10.0f
#define DS3D_DEFAULTDOPPLERFACTOR 1.0f
#define DS3D_DEFAULTMINDISTANCE 1.0f
#define DS3D_DEFAULTMAXDISTANCE 1000000000.0f
#define DS3D_MINCONEANGLE 0
#define DS3D_MAXCONEANGLE 360
#define DS3D_DEFAULTCONEANGLE 360
#define DS3D_DEFAULTCONEOUTSIDEVOLUME DSBVOLUME_MAX

// ---- effects ------------------------------------------------------------------------
// Per-effect results of IDirectSoundBuffer8::SetFX.
#define DSFXR_PRESENT 0
#define DSFXR_LOCHARDWARE 1
#define DSFXR_LOCSOFTWARE 2
#define DSFXR_UNALLOCATED 3
#define DSFXR_FAILED 4
#define DSFXR_UNKNOWN 5
#define DSFXR_SENDLOOP 6

#define DSFX_LOCHARDWARE 0x00000001
#define DSFX_LOCSOFTWARE 0x00000002

// ---- structures ------------------------------------------------------------------------
struct DSCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwMinSecondarySampleRate;
    DWORD dwMaxSecondarySampleRate;
    DWORD dwPrimaryBuffers;
    DWORD dwMaxHwMixingAllBuffers;
    DWORD dwMaxHwMixingStaticBuffers;
    DWORD dwMaxHwMixingStreamingBuffers;
    DWORD dwFreeHwMixingAllBuffers;
    DWORD dwFreeHwMixingStaticBuffers;
    DWORD dwFreeHwMixingStreamingBuffers;
    DWORD dwMaxHw3DAllBuffers;
    DWORD dwMaxHw3DStaticBuffers;
    DWORD dwMaxHw3DStreamingBuffers;
    DWORD dwFreeHw3DAllBuffers;
    DWORD dwFreeHw3DStaticBuffers;
    DWORD dwFreeHw3DStreamingBuffers;
    DWORD dwTotalHwMemBytes;
    DWORD dwFreeHwMemBytes;
    DWORD dwMaxContigFreeHwMemBytes;
    DWORD dwUnlockTransferRateHwBuffers;
    DWORD dwPlayCpuOverheadSwBuffers;
    DWORD dwReserved1;
    DWORD dwReserved2;
};
typedef DSCAPS* LPDSCAPS;

struct DSBCAPS {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwUnlockTransferRate;
    DWORD dwPlayCpuOverhead;
};
typedef DSBCAPS* LPDSBCAPS;

// dwSize is sizeof(DSBUFFERDESC), or 36, the structure's size on the original
// 32-bit platform; both are accepted.
struct DSBUFFERDESC {
    DWORD dwSize;
    DWORD dwFlags;
    DWORD dwBufferBytes;
    DWORD dwReserved;
    LPWAVEFORMATEX lpwfxFormat;
    GUID guid3DAlgorithm;
};
typedef DSBUFFERDESC* LPDSBUFFERDESC;
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

// dwSize is sizeof(DSEFFECTDESC), or 32 as on the original 32-bit platform.
struct DSEFFECTDESC {
    DWORD dwSize;
    DWORD dwFlags;
    GUID guidDSFXClass;
    DWORD_PTR dwReserved1;
    DWORD_PTR dwReserved2;
};
typedef DSEFFECTDESC* LPDSEFFECTDESC;
typedef const DSEFFECTDESC* LPCDSEFFECTDESC;

struct DSBPOSITIONNOTIFY {
    DWORD dwOffset;
    HANDLE hEventNotify;
};
typedef DSBPOSITIONNOTIFY* LPDSBPOSITIONNOTIFY;
typedef const DSBPOSITIONNOTIFY* LPCDSBPOSITIONNOTIFY;

struct DS3DBUFFER {
    DWORD dwSize;
    D3DVECTOR vPosition;
    D3DVECTOR vVelocity;
    DWORD dwInsideConeAngle;
    DWORD dwOutsideConeAngle;
    D3DVECTOR vConeOrientation;
    LONG lConeOutsideVolume;
    D3DVALUE flMinDistance;
    D3DVALUE flMaxDistance;
    DWORD dwMode;
};
typedef DS3DBUFFER* LPDS3DBUFFER;
typedef const DS3DBUFFER* LPCDS3DBUFFER;

struct DS3DLISTENER {
    DWORD dwSize;
    D3DVECTOR vPosition;
    D3DVECTOR vVelocity;
    D3DVECTOR vOrientFront;
    D3DVECTOR vOrientTop;
    D3DVALUE flDistanceFactor;
    D3DVALUE flRolloffFactor;
    D3DVALUE flDopplerFactor;
};
typedef DS3DLISTENER* LPDS3DLISTENER;
typedef const DS3DLISTENER* LPCDS3DLISTENER;

// ---- identifiers ---------------------------------------------------------------------------
extern const IID IID_IDirectSound;
extern const IID IID_IDirectSound8;
extern const IID IID_IDirectSoundBuffer;
extern const IID IID_IDirectSoundBuffer8;
extern const IID IID_IDirectSound3DListener;
extern const IID IID_IDirectSound3DBuffer;
extern const IID IID_IDirectSoundNotify;
#define IID_IDirectSound3DListener8 IID_IDirectSound3DListener
#define IID_IDirectSound3DBuffer8 IID_IDirectSound3DBuffer
#define IID_IDirectSoundNotify8 IID_IDirectSoundNotify

extern const GUID DSDEVID_DefaultPlayback;
extern const GUID DS3DALG_NO_VIRTUALIZATION;
extern const GUID DS3DALG_HRTF_FULL;
extern const GUID DS3DALG_HRTF_LIGHT;
#define DS3DALG_DEFAULT GUID_NULL

// The standard effects (SetFX classes).
extern const GUID GUID_DSFX_STANDARD_GARGLE;
extern const GUID GUID_DSFX_STANDARD_CHORUS;
extern const GUID GUID_DSFX_STANDARD_FLANGER;
extern const GUID GUID_DSFX_STANDARD_ECHO;
extern const GUID GUID_DSFX_STANDARD_DISTORTION;
extern const GUID GUID_DSFX_STANDARD_COMPRESSOR;
extern const GUID GUID_DSFX_STANDARD_PARAMEQ;
extern const GUID GUID_DSFX_STANDARD_I3DL2REVERB;
extern const GUID GUID_DSFX_WAVES_REVERB;

// ---- interfaces ------------------------------------------------------------------------------
struct IDirectSoundBuffer;

struct IDirectSound : public IUnknown {
    STDMETHOD(CreateSoundBuffer)(LPCDSBUFFERDESC desc, IDirectSoundBuffer** buffer,
                                 LPUNKNOWN outer) = 0;
    STDMETHOD(GetCaps)(LPDSCAPS caps) = 0;
    STDMETHOD(DuplicateSoundBuffer)(IDirectSoundBuffer* original,
                                    IDirectSoundBuffer** duplicate) = 0;
    STDMETHOD(SetCooperativeLevel)(HWND hwnd, DWORD level) = 0;
    STDMETHOD(Compact)() = 0;
    STDMETHOD(GetSpeakerConfig)(LPDWORD config) = 0;
    STDMETHOD(SetSpeakerConfig)(DWORD config) = 0;
    STDMETHOD(Initialize)(LPCGUID device) = 0;
};

struct IDirectSound8 : public IDirectSound {
    STDMETHOD(VerifyCertification)(LPDWORD certified) = 0;
};

struct IDirectSoundBuffer : public IUnknown {
    STDMETHOD(GetCaps)(LPDSBCAPS caps) = 0;
    STDMETHOD(GetCurrentPosition)(LPDWORD playCursor, LPDWORD writeCursor) = 0;
    STDMETHOD(GetFormat)(LPWAVEFORMATEX format, DWORD sizeAllocated, LPDWORD sizeWritten) = 0;
    STDMETHOD(GetVolume)(LONG* volume) = 0;
    STDMETHOD(GetPan)(LONG* pan) = 0;
    STDMETHOD(GetFrequency)(LPDWORD frequency) = 0;
    STDMETHOD(GetStatus)(LPDWORD status) = 0;
    STDMETHOD(Initialize)(IDirectSound* sound, LPCDSBUFFERDESC desc) = 0;
    STDMETHOD(Lock)(DWORD offset, DWORD bytes, LPVOID* part1, LPDWORD bytes1, LPVOID* part2,
                    LPDWORD bytes2, DWORD flags) = 0;
    STDMETHOD(Play)(DWORD reserved, DWORD priority, DWORD flags) = 0;
    STDMETHOD(SetCurrentPosition)(DWORD position) = 0;
    STDMETHOD(SetFormat)(LPCWAVEFORMATEX format) = 0;
    STDMETHOD(SetVolume)(LONG volume) = 0;
    STDMETHOD(SetPan)(LONG pan) = 0;
    STDMETHOD(SetFrequency)(DWORD frequency) = 0;
    STDMETHOD(Stop)() = 0;
    STDMETHOD(Unlock)(LPVOID part1, DWORD bytes1, LPVOID part2, DWORD bytes2) = 0;
    STDMETHOD(Restore)() = 0;
};

struct IDirectSoundBuffer8 : public IDirectSoundBuffer {
    STDMETHOD(SetFX)(DWORD count, LPDSEFFECTDESC effects, LPDWORD resultCodes) = 0;
    STDMETHOD(AcquireResources)(DWORD flags, DWORD count, LPDWORD resultCodes) = 0;
    STDMETHOD(GetObjectInPath)(REFGUID objectClass, DWORD index, REFGUID iid,
                               LPVOID* object) = 0;
};

struct IDirectSound3DListener : public IUnknown {
    STDMETHOD(GetAllParameters)(LPDS3DLISTENER listener) = 0;
    STDMETHOD(GetDistanceFactor)(D3DVALUE* factor) = 0;
    STDMETHOD(GetDopplerFactor)(D3DVALUE* factor) = 0;
    STDMETHOD(GetOrientation)(D3DVECTOR* front, D3DVECTOR* top) = 0;
    STDMETHOD(GetPosition)(D3DVECTOR* position) = 0;
    STDMETHOD(GetRolloffFactor)(D3DVALUE* factor) = 0;
    STDMETHOD(GetVelocity)(D3DVECTOR* velocity) = 0;
    STDMETHOD(SetAllParameters)(LPCDS3DLISTENER listener, DWORD apply) = 0;
    STDMETHOD(SetDistanceFactor)(D3DVALUE factor, DWORD apply) = 0;
    STDMETHOD(SetDopplerFactor)(D3DVALUE factor, DWORD apply) = 0;
    STDMETHOD(SetOrientation)(D3DVALUE frontX, D3DVALUE frontY, D3DVALUE frontZ, D3DVALUE topX,
                              D3DVALUE topY, D3DVALUE topZ, DWORD apply) = 0;
    STDMETHOD(SetPosition)(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    STDMETHOD(SetRolloffFactor)(D3DVALUE factor, DWORD apply) = 0;
    STDMETHOD(SetVelocity)(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    STDMETHOD(CommitDeferredSettings)() = 0;
};
typedef IDirectSound3DListener IDirectSound3DListener8;

struct IDirectSound3DBuffer : public IUnknown {
    STDMETHOD(GetAllParameters)(LPDS3DBUFFER buffer) = 0;
    STDMETHOD(GetConeAngles)(LPDWORD inside, LPDWORD outside) = 0;
    STDMETHOD(GetConeOrientation)(D3DVECTOR* orientation) = 0;
    STDMETHOD(GetConeOutsideVolume)(LONG* volume) = 0;
    STDMETHOD(GetMaxDistance)(D3DVALUE* distance) = 0;
    STDMETHOD(GetMinDistance)(D3DVALUE* distance) = 0;
    STDMETHOD(GetMode)(LPDWORD mode) = 0;
    STDMETHOD(GetPosition)(D3DVECTOR* position) = 0;
    STDMETHOD(GetVelocity)(D3DVECTOR* velocity) = 0;
    STDMETHOD(SetAllParameters)(LPCDS3DBUFFER buffer, DWORD apply) = 0;
    STDMETHOD(SetConeAngles)(DWORD inside, DWORD outside, DWORD apply) = 0;
    STDMETHOD(SetConeOrientation)(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    STDMETHOD(SetConeOutsideVolume)(LONG volume, DWORD apply) = 0;
    STDMETHOD(SetMaxDistance)(D3DVALUE distance, DWORD apply) = 0;
    STDMETHOD(SetMinDistance)(D3DVALUE distance, DWORD apply) = 0;
    STDMETHOD(SetMode)(DWORD mode, DWORD apply) = 0;
    STDMETHOD(SetPosition)(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
    STDMETHOD(SetVelocity)(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) = 0;
};
typedef IDirectSound3DBuffer IDirectSound3DBuffer8;

struct IDirectSoundNotify : public IUnknown {
    STDMETHOD(SetNotificationPositions)(DWORD count, LPCDSBPOSITIONNOTIFY positions) = 0;
};
typedef IDirectSoundNotify IDirectSoundNotify8;

typedef IDirectSound* LPDIRECTSOUND;
typedef IDirectSound8* LPDIRECTSOUND8;
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;
typedef IDirectSound3DListener* LPDIRECTSOUND3DLISTENER;
typedef IDirectSound3DListener* LPDIRECTSOUND3DLISTENER8;
typedef IDirectSound3DBuffer* LPDIRECTSOUND3DBUFFER;
typedef IDirectSound3DBuffer* LPDIRECTSOUND3DBUFFER8;
typedef IDirectSoundNotify* LPDIRECTSOUNDNOTIFY;

#include "dsound8/dsound_fx.h"
typedef IDirectSoundNotify* LPDIRECTSOUNDNOTIFY8;

// Opens the default playback device (device null or DSDEVID_DefaultPlayback). Where
// no output can be opened, the object plays to a silent device that consumes the
// mix at real-time pace, so that buffers still advance, end and notify.
HRESULT DirectSoundCreate8(LPCGUID device, LPDIRECTSOUND8* sound, LPUNKNOWN outer);
HRESULT DirectSoundCreate(LPCGUID device, LPDIRECTSOUND* sound, LPUNKNOWN outer);
