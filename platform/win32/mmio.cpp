// RIFF file reading over stdio. Chunk sizes come straight from the file, so every
// position is computed in 64 bits and checked against the 32-bit offsets the
// interface can express before the file is touched; a search walks at least one
// chunk header per step, so it ends within the file's own length.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "win32/file_path.h"
#include "win32/mmsystem.h"
#include "win32/platform_log.h"

struct HMMIO__ {
    FILE* file = nullptr;
};

namespace {

// Offsets are LONG (32 bits) in the interface.
constexpr uint64_t kMaxOffset = INT32_MAX;
constexpr UINT kWriteFlags = MMIO_WRITE | MMIO_READWRITE;

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

int64_t Tell(HMMIO mmio) { return ftello(mmio->file); }

bool SeekTo(HMMIO mmio, uint64_t position) {
    if (position > kMaxOffset) return false;
    return fseeko(mmio->file, off_t(position), SEEK_SET) == 0;
}

// Reads exactly count bytes or reports failure.
bool ReadExactly(HMMIO mmio, unsigned char* out, size_t count) {
    return fread(out, 1, count, mmio->file) == count;
}

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

}  // namespace

HMMIO mmioOpenA(LPSTR fileName, LPMMIOINFO info, DWORD flags) {
    if (flags & kWriteFlags) {
        NolLog("mmioOpenA: only reading is supported (flags 0x%x)\n", unsigned(flags));
        Fail(info, MMIOERR_CANNOTOPEN);
        return nullptr;
    }
    if (!fileName) {
        Fail(info, MMIOERR_FILENOTFOUND);
        return nullptr;
    }
    FILE* file = fopen(fileName, "rbe");
    if (!file) {
        // Names from programs written for Windows: "\" separators, any letter case.
        const std::string found = win32::ResolvePath(fileName);
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
    int result = fclose(mmio->file);
    delete mmio;
    return result == 0 ? MMSYSERR_NOERROR : MMIOERR_CANNOTCLOSE;
}

LONG mmioRead(HMMIO mmio, HPSTR buffer, LONG count) {
    if (!mmio || count < 0 || (count > 0 && !buffer)) return -1;
    size_t got = fread(buffer, 1, size_t(count), mmio->file);
    if (got < size_t(count) && ferror(mmio->file)) {
        clearerr(mmio->file);
        return -1;
    }
    return LONG(got);
}

LONG mmioSeek(HMMIO mmio, LONG offset, int origin) {
    if (!mmio || (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END)) return -1;
    if (fseeko(mmio->file, off_t(offset), origin) != 0) return -1;
    int64_t position = Tell(mmio);
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
