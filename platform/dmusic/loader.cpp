// The loader: finds a file through its search directory and makes a segment of it.
// Only Standard MIDI Files (and RMID files holding one) make segments here.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "base/codepage.h"
#include "com/com_object.h"
#include "dmusic/dmusic_classes.h"
#include "dmusic/dmusicreason.h"
#include "dmusic/segment.h"

namespace {

thread_local std::string lastReason;

}  // namespace

const char* DirectMusicGetLastLoadError() { return lastReason.c_str(); }

namespace nol::dmusic {

namespace {

// Wide names come from the program's code page, so they go back to it to name the
// file: the bytes the program meant, whatever they are. '\' separates folders.
std::string WideToPath(const WCHAR* wide) {
    std::u16string text;
    for (size_t i = 0; wide[i] && i < 4 * MAX_PATH; ++i) text.push_back(wide[i] == u'\\' ? u'/' : wide[i]);
    return nol::base::Utf8ToCp932(nol::base::Utf16ToUtf8(text));
}

enum class ReadStatus { Ok, Missing, Unreadable, NotAFile, TooLarge };

ReadStatus ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return errno == ENOENT || errno == ENOTDIR ? ReadStatus::Missing : ReadStatus::Unreadable;
    struct stat info;
    if (fstat(fileno(f), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fclose(f);
        return ReadStatus::NotAFile;
    }
    if (uint64_t(info.st_size) > MIDI_FILE_MAX_BYTES) {
        std::fclose(f);
        return ReadStatus::TooLarge;
    }
    bytes.resize(size_t(info.st_size));
    size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    bytes.resize(got);  // a file that shrank under us keeps what was read
    return ReadStatus::Ok;
}

HRESULT Refuse(HRESULT hr, const std::string& reason) {
    lastReason = reason;
    return hr;
}

class Loader final
    : public nol::com::Object<IDirectMusicLoader8, IID_IDirectMusicLoader, IID_IDirectMusicLoader8> {
public:
    HRESULT SetSearchDirectory(REFGUID, WCHAR* path, BOOL) override {
        if (!path) return E_POINTER;
        std::string dir = WideToPath(path);
        if (dir.empty()) return DMUS_E_LOADER_BADPATH;
        // The cache holds nothing (every load reads its file), so there is nothing to
        // clear; S_FALSE says the directory did not change, as the original does.
        if (dir == searchDirectory_) return S_FALSE;
        searchDirectory_ = dir;
        return S_OK;
    }

    HRESULT ClearCache(REFGUID) override { return S_OK; }

    HRESULT LoadObjectFromFile(REFGUID classId, REFIID iid, WCHAR* filePath, void** object) override {
        lastReason.clear();
        if (!object) return Refuse(E_POINTER, "no object pointer");
        *object = nullptr;
        if (!filePath) return Refuse(E_POINTER, "no file name");
        if (classId != CLSID_DirectMusicSegment) return Refuse(DMUS_E_LOADER_NOCLASSID, "not a segment");
        std::string path = WideToPath(filePath);
        if (path.empty()) return Refuse(DMUS_E_LOADER_BADPATH, "empty file name");
        if (path[0] != '/' && !searchDirectory_.empty()) path = searchDirectory_ + "/" + path;

        std::vector<uint8_t> bytes;
        switch (ReadWholeFile(path, bytes)) {
        case ReadStatus::Missing: return Refuse(DMUS_E_LOADER_FAILEDOPEN, "file not found");
        case ReadStatus::Unreadable: return Refuse(DMUS_E_LOADER_FAILEDOPEN, "file cannot be opened");
        case ReadStatus::NotAFile: return Refuse(DMUS_E_LOADER_FAILEDOPEN, "not a regular file");
        case ReadStatus::TooLarge: return Refuse(DMUS_E_UNSUPPORTED_STREAM, "file too large");
        case ReadStatus::Ok: break;
        }
        // Silent about why: the caller's log line for a load is still open. The reason
        // waits for it in DirectMusicGetLastLoadError.
        MidiReadResult midi = ReadMidiFile(bytes.data(), bytes.size());
        if (!midi.ok) return Refuse(DMUS_E_UNSUPPORTED_STREAM, midi.reason);
        lastReason = midi.warning;
        auto song = std::make_shared<const MidiSong>(std::move(midi.song));
        return nol::com::HandOut(new Segment(song), iid, object);
    }

private:
    std::string searchDirectory_;
};

}  // namespace

HRESULT CreateDirectMusicLoader(REFIID iid, void** object) { return nol::com::HandOut(new Loader, iid, object); }

}  // namespace nol::dmusic
