// RIFF reading over stdio, or over a caller's buffer (FOURCC_MEM). Chunk sizes
// come straight from the data, so every position is computed in 64 bits and checked
// against the 32-bit offsets the interface can express before the data are touched;
// a search walks at least one chunk header per step, so it ends within the data's
// own length.
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/file_path.h"
#include "base/platform_log.h"
#include "win32/mmsystem.h"

// Either a file or a memory block, read in place (the caller keeps it alive until
// mmioClose, as with the original).
struct HMMIO__ {
    FILE* file = nullptr;
    const unsigned char* memory = nullptr;
    uint64_t size = 0;      // of the memory block
    uint64_t position = 0;  // in the memory block; may lie past its end after a seek
};

namespace {

// Offsets are LONG (32 bits) in the interface.
constexpr uint64_t kMaxOffset = INT32_MAX;
constexpr UINT kWriteFlags = MMIO_WRITE | MMIO_READWRITE;

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t Tell(HMMIO mmio) { return mmio->file ? ftello(mmio->file) : int64_t(mmio->position); }

bool SeekTo(HMMIO mmio, uint64_t position) {
    if (position > kMaxOffset) return false;
    if (!mmio->file) {
        mmio->position = position;
        return true;
    }
    return fseeko(mmio->file, off_t(position), SEEK_SET) == 0;
}

// Up to count bytes; fewer at the end of the data. -1 on a read error.
int64_t ReadSome(HMMIO mmio, unsigned char* out, size_t count) {
    if (mmio->file) {
        size_t got = fread(out, 1, count, mmio->file);
        if (got < count && ferror(mmio->file)) {
            clearerr(mmio->file);
            return -1;
        }
        return int64_t(got);
    }
    if (mmio->position >= mmio->size) return 0;
    size_t got = size_t(std::min<uint64_t>(count, mmio->size - mmio->position));
    if (got) std::memcpy(out, mmio->memory + mmio->position, got);
    mmio->position += got;
    return int64_t(got);
}

// Reads exactly count bytes or reports failure.
bool ReadExactly(HMMIO mmio, unsigned char* out, size_t count) { return ReadSome(mmio, out, count) == int64_t(count); }

bool IsWanted(const MMCKINFO& found, FOURCC wantId, FOURCC wantType, UINT flags) {
    if (flags & MMIO_FINDCHUNK) return found.ckid == wantId;
    if (flags & MMIO_FINDRIFF) return found.ckid == FOURCC_RIFF && found.fccType == wantType;
    if (flags & MMIO_FINDLIST) return found.ckid == FOURCC_LIST && found.fccType == wantType;
    return true;
}

MMRESULT Fail(LPMMIOINFO info, UINT error) {
    if (info) info->wErrorRet = error;
    return error;
}

// The caller's buffer as the data to read: pchBuffer, cchBuffer bytes long (none
// at all without a buffer).
HMMIO OpenMemory(LPMMIOINFO info) {
    if ((!info->pchBuffer && info->cchBuffer != 0) || info->cchBuffer < 0) {
        // The original would allocate a buffer to write into; only reading is offered.
        NolLog("mmioOpenA: a memory file needs the caller's buffer\n");
        Fail(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    info->wErrorRet = MMSYSERR_NOERROR;
    HMMIO mmio = new HMMIO__;
    mmio->memory = reinterpret_cast<const unsigned char*>(info->pchBuffer);
    mmio->size = uint64_t(info->cchBuffer);
    return mmio;
}

}  // namespace

HMMIO mmioOpenA(LPSTR fileName, LPMMIOINFO info, DWORD flags) {
    if (flags & kWriteFlags) {
        NolLog("mmioOpenA: only reading is supported (flags 0x%x)\n", unsigned(flags));
        Fail(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    if (info && info->fccIOProc == FOURCC_MEM) return OpenMemory(info);
    if (!fileName) {
        Fail(info, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    FILE* file = fopen(fileName, "rbe");
    if (!file) {
        // Names from programs written for Windows: "\" separators, any letter case.
        const std::string found = nol::base::ResolvePath(fileName);
        if (!found.empty() && found != fileName) file = fopen(found.c_str(), "rbe");
    }
    if (!file) {
        Fail(info, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    // A directory or a pipe would open but never read as a file does.
    struct stat st;
    if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode)) {
        fclose(file);
        Fail(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    if (info) info->wErrorRet = MMSYSERR_NOERROR;
    HMMIO mmio = new HMMIO__;
    mmio->file = file;
    return mmio;
}

MMRESULT mmioClose(HMMIO mmio, UINT) {
    if (!mmio) return MMIOERR_CANNOTCLOSE;
    int result = mmio->file ? fclose(mmio->file) : 0;
    delete mmio;
    return result == 0 ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

LONG mmioRead(HMMIO mmio, HPSTR buffer, LONG count) {
    if (!mmio || count < 0 || (count > 0 && !buffer)) return -1;
    return LONG(ReadSome(mmio, reinterpret_cast<unsigned char*>(buffer), size_t(count)));
}

LONG mmioSeek(HMMIO mmio, LONG offset, int origin) {
    if (!mmio || (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END)) return -1;
    int64_t position = -1;
    if (mmio->file) {
        if (fseeko(mmio->file, off_t(offset), origin) != 0) return -1;
        position = Tell(mmio);
    } else {
        const int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? int64_t(mmio->position) : int64_t(mmio->size);
        position = base + offset;
        if (position >= 0 && uint64_t(position) <= kMaxOffset) mmio->position = uint64_t(position);
    }
    if (position < 0 || uint64_t(position) > kMaxOffset) return -1;
    return LONG(position);
}

MMRESULT mmioDescend(HMMIO mmio, LPMMCKINFO chunk, LPCMMCKINFO parent, UINT flags) {
    if (!mmio || !chunk) return MMIOERR_CHUNKNOTFOUND;
    const FOURCC wantId = chunk->ckid;
    const FOURCC wantType = chunk->fccType;
    // A chunk must start inside its parent, header included.
    const uint64_t end = parent ? uint64_t(parent->dwDataOffset) + parent->cksize : UINT64_MAX;

    for (;;) {
        int64_t start = Tell(mmio);
        if (start < 0) return MMIOERR_CANNOTSEEK;
        if (uint64_t(start) + 8 > end) return MMIOERR_CHUNKNOTFOUND;

        unsigned char header[8];
        if (!ReadExactly(mmio, header, sizeof header)) return MMIOERR_CHUNKNOTFOUND;
        MMCKINFO found{};
        found.ckid = ReadLe32(header);
        found.cksize = ReadLe32(header + 4);
        found.dwDataOffset = DWORD(start + 8);
        if (found.ckid == FOURCC_RIFF || found.ckid == FOURCC_LIST) {
            unsigned char type[4];
            if (!ReadExactly(mmio, type, sizeof type)) return MMIOERR_CHUNKNOTFOUND;
            found.fccType = ReadLe32(type);
        }
        if (IsWanted(found, wantId, wantType, flags)) {
            *chunk = found;
            return MMSYSERR_NOERROR;
        }
        // Chunks are padded to an even length.
        uint64_t next = uint64_t(found.dwDataOffset) + found.cksize + (found.cksize & 1);
        if (next > kMaxOffset || !SeekTo(mmio, next)) return MMIOERR_CHUNKNOTFOUND;
    }
}

MMRESULT mmioAscend(HMMIO mmio, LPMMCKINFO chunk, UINT) {
    if (!mmio || !chunk) return MMIOERR_CANNOTSEEK;
    uint64_t end = uint64_t(chunk->dwDataOffset) + chunk->cksize + (chunk->cksize & 1);
    return SeekTo(mmio, end) ? MMSYSERR_NOERROR : MMIOERR_CANNOTSEEK;
}
