// Multimedia file I/O (winmm's mmio): buffered reading of RIFF files chunk by chunk,
// with the original names and values.
#pragma once

#include <cstdio>

#include "win32/windows.h"

typedef UINT MMRESULT;
typedef DWORD FOURCC;
typedef char* HPSTR;

struct HMMIO__;
typedef HMMIO__* HMMIO;

#define mmioFOURCC(c0, c1, c2, c3)                                                      \
    ((FOURCC)(BYTE)(c0) | ((FOURCC)(BYTE)(c1) << 8) | ((FOURCC)(BYTE)(c2) << 16) | \
     ((FOURCC)(BYTE)(c3) << 24))

#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_LIST mmioFOURCC('L', 'I', 'S', 'T')
#define FOURCC_DOS mmioFOURCC('D', 'O', 'S', ' ')
#define FOURCC_MEM mmioFOURCC('M', 'E', 'M', ' ')

// A chunk: its id and size as the file gives them, the form or list type of a RIFF
// or LIST chunk, and where its data begin in the file (for RIFF and LIST, at the type).
struct MMCKINFO {
    FOURCC ckid;
    DWORD cksize;
    FOURCC fccType;
    DWORD dwDataOffset;
    DWORD dwFlags;
};
typedef MMCKINFO* LPMMCKINFO;
typedef const MMCKINFO* LPCMMCKINFO;

// Open parameters. mmioOpenA puts the reason for a failed open in wErrorRet. With
// fccIOProc FOURCC_MEM the file name is ignored and the data are the cchBuffer bytes
// at pchBuffer, read in place: they must outlive the handle. The other fields are
// not used.
struct MMIOINFO {
    DWORD dwFlags;
    FOURCC fccIOProc;
    void* pIOProc;
    UINT wErrorRet;
    HANDLE htask;
    LONG cchBuffer;
    HPSTR pchBuffer;
    HPSTR pchNext;
    HPSTR pchEndRead;
    HPSTR pchEndWrite;
    LONG lBufOffset;
    LONG lDiskOffset;
    DWORD adwInfo[3];
    DWORD dwReserved1;
    DWORD dwReserved2;
    HMMIO hmmio;
};
typedef MMIOINFO* LPMMIOINFO;

#define MMSYSERR_NOERROR 0
#define MMIOERR_BASE 256
#define MMIOERR_FILENOTFOUND (MMIOERR_BASE + 1)
#define MMIOERR_OUTOFMEMORY (MMIOERR_BASE + 2)
#define MMIOERR_CANNOTOPEN (MMIOERR_BASE + 3)
#define MMIOERR_CANNOTCLOSE (MMIOERR_BASE + 4)
#define MMIOERR_CANNOTREAD (MMIOERR_BASE + 5)
#define MMIOERR_CANNOTWRITE (MMIOERR_BASE + 6)
#define MMIOERR_CANNOTSEEK (MMIOERR_BASE + 7)
#define MMIOERR_CANNOTEXPAND (MMIOERR_BASE + 8)
#define MMIOERR_CHUNKNOTFOUND (MMIOERR_BASE + 9)
#define MMIOERR_UNBUFFERED (MMIOERR_BASE + 10)
#define MMIOERR_INVALIDFILE (MMIOERR_BASE + 16)

// Open flags.
#define MMIO_READ 0x00000000
#define MMIO_WRITE 0x00000001
#define MMIO_READWRITE 0x00000002
#define MMIO_ALLOCBUF 0x00010000
// mmioDescend: find a chunk by id, a RIFF form or a LIST by type. Without any of
// these, descend into the chunk at the current position, whatever its id.
#define MMIO_FINDCHUNK 0x0010
#define MMIO_FINDRIFF 0x0020
#define MMIO_FINDLIST 0x0040

// Only reading is offered: write flags make the open fail.
HMMIO mmioOpenA(LPSTR fileName, LPMMIOINFO info, DWORD flags);
MMRESULT mmioClose(HMMIO mmio, UINT flags);
// Bytes read (0 at the end of the file), or -1 on error.
LONG mmioRead(HMMIO mmio, HPSTR buffer, LONG count);
// origin is SEEK_SET, SEEK_CUR or SEEK_END; the new position, or -1.
LONG mmioSeek(HMMIO mmio, LONG offset, int origin);
MMRESULT mmioDescend(HMMIO mmio, LPMMCKINFO chunk, LPCMMCKINFO parent, UINT flags);
MMRESULT mmioAscend(HMMIO mmio, LPMMCKINFO chunk, UINT flags);
