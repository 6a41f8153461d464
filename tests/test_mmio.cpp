// Reading RIFF files chunk by chunk through mmio, from a file and from memory
// (FOURCC_MEM): both sources walk the same way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "wav_files.h"
#include "win32/mmsystem.h"

using namespace wavs;

namespace {

HMMIO OpenMemory(std::vector<uint8_t>& bytes, MMIOINFO* info) {
    *info = MMIOINFO{};
    info->fccIOProc = FOURCC_MEM;
    info->pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
    info->cchBuffer = LONG(bytes.size());
    return mmioOpenA(nullptr, info, MMIO_READ);
}

// The parameter: "file" or "memory".
class MmioTest : public ::testing::TestWithParam<std::string> {
protected:
    HMMIO Open(const std::vector<uint8_t>& bytes) {
        if (GetParam() == "memory") {
            held = bytes;
            MMIOINFO info;
            mmio = OpenMemory(held, &info);
            return mmio;
        }
        std::string path = dir.File("f.riff");
        EXPECT_TRUE(WriteBytes(path, bytes));
        mmio = mmioOpenA(path.data(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
        return mmio;
    }
    void TearDown() override {
        if (mmio) mmioClose(mmio, 0);
    }
    static std::string Read(HMMIO m, LONG n) {
        std::string s(n, '\0');
        LONG got = mmioRead(m, s.data(), n);
        s.resize(got < 0 ? 0 : got);
        return s;
    }

    TempDir dir;
    std::vector<uint8_t> held;  // a memory source's bytes, alive while it is open
    HMMIO mmio = nullptr;
};

TEST_P(MmioTest, WalksAWaveFormChunkByChunk) {
    // fmt, then an odd-sized chunk whose pad byte must be skipped, then data.
    std::vector<uint8_t> fmt = FormatBytes({});
    std::vector<uint8_t> odd = {'a', 'b', 'c'};
    std::vector<uint8_t> data = {'s', 'a', 'm', 'p', 'l', 'e', 's', '!'};
    ASSERT_TRUE(Open(Riff("WAVE", {Chunk("fmt ", fmt), Chunk("junk", odd), Chunk("data", data)})));

    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(riff.ckid, FOURCC_RIFF);
    EXPECT_EQ(riff.cksize, 4u + 24 + 12 + 16);
    EXPECT_EQ(riff.dwDataOffset, 8u);  // at the form type

    MMCKINFO chunk{};
    ASSERT_EQ(mmioDescend(mmio, &chunk, &riff, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.ckid, mmioFOURCC('f', 'm', 't', ' '));
    EXPECT_EQ(chunk.cksize, 16u);
    EXPECT_EQ(chunk.dwDataOffset, 20u);
    EXPECT_EQ(Read(mmio, 4), std::string(fmt.begin(), fmt.begin() + 4));
    ASSERT_EQ(mmioAscend(mmio, &chunk, 0), (MMRESULT)MMSYSERR_NOERROR);

    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ASSERT_EQ(mmioDescend(mmio, &chunk, &riff, MMIO_FINDCHUNK), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.cksize, 8u);
    EXPECT_EQ(chunk.dwDataOffset, 12u + 24 + 12 + 8);
    EXPECT_EQ(Read(mmio, 100), "samples!");
    EXPECT_EQ(mmioRead(mmio, nullptr, 0), 0);
    EXPECT_EQ(mmioSeek(mmio, 0, SEEK_END), LONG(riff.cksize + 8));
}

TEST_P(MmioTest, DescendWithoutFlagsEntersTheNextChunkWhateverItsId) {
    ASSERT_TRUE(Open(Riff("WAVE", {Chunk("LIST", {'I', 'N', 'F', 'O', 'x', 'y'}), Chunk("fmt ", FormatBytes({}))})));
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    MMCKINFO chunk{};
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');  // ignored without MMIO_FINDCHUNK
    ASSERT_EQ(mmioDescend(mmio, &chunk, &riff, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.ckid, FOURCC_LIST);
    EXPECT_EQ(chunk.fccType, mmioFOURCC('I', 'N', 'F', 'O'));
    EXPECT_EQ(Read(mmio, 2), "xy");  // a list's data start after its type
}

TEST_P(MmioTest, FindRiffSkipsFormsOfAnotherType) {
    std::vector<uint8_t> bytes = Riff("AVI ", {Chunk("abcd", {1, 2, 3})});
    std::vector<uint8_t> wave = Wav({}, {0, 0});
    bytes.insert(bytes.end(), wave.begin(), wave.end());
    ASSERT_TRUE(Open(bytes));
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(riff.dwDataOffset, 24u + 8);

    riff.fccType = mmioFOURCC('R', 'M', 'I', 'D');
    mmioSeek(mmio, 0, SEEK_SET);
    EXPECT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
}

// Sizes are the file's word: a search stops at the parent's end and at the end of
// the file, whatever the sizes claim, and never runs past what 32 bits can address.
TEST_P(MmioTest, SearchesEndAtTheParentTheFileAndImpossibleSizes) {
    MMCKINFO riff{}, chunk{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');

    // The RIFF form claims only its type and format chunk; data lies beyond it.
    ASSERT_TRUE(Open(Riff("WAVE", {Chunk("fmt ", FormatBytes({})), Chunk("data", {1, 2})}, 4 + 24)));
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(mmio, &chunk, &riff, MMIO_FINDCHUNK), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
    mmioClose(mmio, 0);

    // No data chunk at all; then a chunk whose size runs past the file's end.
    ASSERT_TRUE(Open(Riff("WAVE", {Chunk("fmt ", FormatBytes({})), Chunk("junk", {1, 2}, 0x1000)}, 0x7FFFFF00)));
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(mmioDescend(mmio, &chunk, &riff, MMIO_FINDCHUNK), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
    mmioClose(mmio, 0);

    // A chunk size that would take the position past 32-bit offsets: the search and
    // an ascend out of it both fail instead of wrapping around to the file's start.
    ASSERT_TRUE(Open(Riff("WAVE", {Chunk("fmt ", FormatBytes({}), 0xFFFFFFF0), Chunk("data", {1, 2})}, 0xFFFFFFFF)));
    ASSERT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMSYSERR_NOERROR);
    ASSERT_EQ(mmioDescend(mmio, &chunk, &riff, 0), (MMRESULT)MMSYSERR_NOERROR);
    EXPECT_EQ(chunk.cksize, 0xFFFFFFF0u);
    EXPECT_EQ(mmioAscend(mmio, &chunk, 0), (MMRESULT)MMIOERR_CANNOTSEEK);
    mmioSeek(mmio, 12, SEEK_SET);
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(mmio, &chunk, &riff, MMIO_FINDCHUNK), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
    mmioClose(mmio, 0);

    // Files that end inside a header: empty, half a header, a RIFF without its type.
    for (std::vector<uint8_t> bytes : {std::vector<uint8_t>{}, std::vector<uint8_t>{'R', 'I', 'F', 'F'},
                                       std::vector<uint8_t>{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A'}}) {
        ASSERT_TRUE(Open(bytes));
        EXPECT_EQ(mmioDescend(mmio, &riff, nullptr, MMIO_FINDRIFF), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
        EXPECT_EQ(mmioDescend(mmio, &chunk, nullptr, 0), (MMRESULT)MMIOERR_CHUNKNOTFOUND);
        mmioClose(mmio, 0);
    }
    mmio = nullptr;
}

TEST(MmioOpenTest, RefusesWhatCannotBeReadAsAFile) {
    TempDir dir;
    MMIOINFO info{};
    std::string missing = dir.File("missing.wav");
    EXPECT_EQ(mmioOpenA(missing.data(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMIOERR_FILENOTFOUND);

    std::string folder = dir.path;
    EXPECT_EQ(mmioOpenA(folder.data(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMIOERR_CANNOTOPEN);

    std::string path = dir.File("w.wav");
    ASSERT_TRUE(WriteBytes(path, Wav({}, {0, 0})));
    EXPECT_EQ(mmioOpenA(path.data(), nullptr, MMIO_READWRITE), nullptr);
    EXPECT_EQ(mmioRead(nullptr, nullptr, 4), -1);
    EXPECT_EQ(mmioClose(nullptr, 0), (MMRESULT)MMIOERR_CANNOTCLOSE);

    HMMIO m = mmioOpenA(path.data(), &info, MMIO_READ | MMIO_ALLOCBUF);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMSYSERR_NOERROR);
    EXPECT_EQ(mmioClose(m, 0), (MMRESULT)MMSYSERR_NOERROR);
}

INSTANTIATE_TEST_SUITE_P(Sources, MmioTest, ::testing::Values("file", "memory"),
                         [](const auto& info) { return info.param; });

// Memory is read in place and seeks like a file: to any position the 32-bit
// offsets can hold (reads past the end give nothing), never before the start.
TEST(MmioMemoryTest, ReadsAndSeeksInTheCallersBytes) {
    std::vector<uint8_t> bytes = {'a', 'b', 'c', 'd', 'e'};
    MMIOINFO info;
    HMMIO m = OpenMemory(bytes, &info);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMSYSERR_NOERROR);
    char out[8] = {};
    EXPECT_EQ(mmioRead(m, out, 3), 3);
    EXPECT_EQ(std::string(out, 3), "abc");
    EXPECT_EQ(mmioSeek(m, -1, SEEK_CUR), 2);
    EXPECT_EQ(mmioRead(m, out, 8), 3);
    EXPECT_EQ(std::string(out, 3), "cde");
    EXPECT_EQ(mmioRead(m, out, 8), 0);
    EXPECT_EQ(mmioSeek(m, -6, SEEK_END), -1);
    EXPECT_EQ(mmioSeek(m, 0, SEEK_CUR), 5);  // a refused seek does not move
    EXPECT_EQ(mmioSeek(m, 100, SEEK_SET), 100);
    EXPECT_EQ(mmioRead(m, out, 8), 0);
    EXPECT_EQ(mmioSeek(m, INT32_MAX, SEEK_CUR), -1);
    EXPECT_EQ(mmioClose(m, 0), (MMRESULT)MMSYSERR_NOERROR);

    // Bytes promised without a buffer cannot be read; nothing to read is fine.
    info = MMIOINFO{};
    info.fccIOProc = FOURCC_MEM;
    info.cchBuffer = 16;
    EXPECT_EQ(mmioOpenA(nullptr, &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, (UINT)MMIOERR_CANNOTOPEN);
    info.cchBuffer = 0;
    m = mmioOpenA(nullptr, &info, MMIO_READ);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(mmioRead(m, out, 8), 0);
    mmioClose(m, 0);
}

}  // namespace
