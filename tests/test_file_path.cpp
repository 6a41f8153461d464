// Names written the Windows way, found on a file system where case matters and
// "/" separates folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "base/file_path.h"
#include "d3dx8/whole_file.h"
#include "image_files.h"
#include "support/test_support.h"
#include "win32/file_lookup.h"
#include "win32/mmsystem.h"

namespace {

using nol::base::ResolvePath;

class FilePath : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(dir.File("Models").c_str(), 0755), 0);
        ASSERT_EQ(mkdir(dir.File("Models/car").c_str(), 0755), 0);
        Write("Models/car/Top.tga", "top");
    }
    void Write(const std::string& name, const std::string& text) {
        ASSERT_TRUE(images::WriteBytes(dir.File(name), std::vector<uint8_t>(text.begin(), text.end())));
    }
    TempDir dir;
};

TEST_F(FilePath, BackslashesAndLetterCaseFindTheFile) {
    const std::string found = dir.path + "/Models/car/Top.tga";
    EXPECT_EQ(ResolvePath(found.c_str()), found);  // as given
    EXPECT_EQ(ResolvePath((dir.path + "\\Models\\car\\Top.tga").c_str()), found);
    EXPECT_EQ(ResolvePath((dir.path + "/MODELS/Car/top.TGA").c_str()), found);
    EXPECT_EQ(ResolvePath((dir.path + "\\models\\\\CAR\\.\\TOP.tga").c_str()), dir.path + "/Models/car/./Top.tga");
    EXPECT_EQ(ResolvePath((dir.path + "/models/car/../CAR/top.tga").c_str()), dir.path + "/Models/car/../car/Top.tga");
    EXPECT_EQ(NolFindFile((dir.path + "\\MODELS").c_str()), dir.path + "/Models");
}

TEST_F(FilePath, NamesThatMeanNothingHereFindNothing) {
    for (const std::string& name : {dir.path + "/Models/car/Top.tga.bak", dir.path + "/Models/bus/Top.tga",
                                    dir.path + "/Models/car/Top.tga/x", std::string("C:\\art\\car\\Top.tga"),
                                    std::string("c:Top.tga"), std::string("")}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ResolvePath(name.c_str()), "");
    }
    EXPECT_EQ(ResolvePath(nullptr), "");
}

TEST_F(FilePath, SpellingsDifferingOnlyInCaseResolveTheSameWayEveryTime) {
    Write("Models/car/TOP.tga", "other");
    // Neither exists as spelled: the first in byte order wins.
    EXPECT_EQ(ResolvePath((dir.path + "/models/car/top.Tga").c_str()), dir.path + "/Models/car/TOP.tga");
    // An exact spelling is always taken as it is.
    EXPECT_EQ(ResolvePath((dir.path + "/Models/car/Top.tga").c_str()), dir.path + "/Models/car/Top.tga");
}

// In CP932 the second byte of a double-byte character may be 0x5C ("\") or a
// letter: neither splits the name nor changes case.
TEST_F(FilePath, DoubleByteCharactersStayWhole) {
    const std::string table = "\x95\x5C";   // a character whose second byte is "\"
    const std::string letter = "\x82\x61";  // one whose second byte is 'a'
    Write("Models/" + table + ".bmp", "t");
    Write("Models/" + letter + ".bmp", "l");
    EXPECT_EQ(ResolvePath((dir.path + "\\MODELS\\" + table + ".BMP").c_str()), dir.path + "/Models/" + table + ".bmp");
    EXPECT_EQ(ResolvePath((dir.path + "/models/" + letter + ".bmp").c_str()), dir.path + "/Models/" + letter + ".bmp");
    EXPECT_EQ(ResolvePath((dir.path + "/models/\x82\x41.bmp").c_str()), "");  // 'A' as a second byte is another character
}

TEST_F(FilePath, WholeFilesAreReadByTheirWindowsNames) {
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(nol::d3dx8::ReadWholeFile((dir.path + "\\models\\CAR\\top.tga").c_str(), 100, &bytes, &error)) << error;
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "top");
    EXPECT_FALSE(nol::d3dx8::ReadWholeFile((dir.path + "\\models\\bus\\top.tga").c_str(), 100, &bytes, &error));
    EXPECT_EQ(error, "cannot open " + dir.path + "\\models\\bus\\top.tga");

    // Sounds open the same way.
    Write("Models/Horn.wav", "RIFF");
    std::string wave = dir.path + "\\MODELS\\horn.WAV";
    HMMIO mmio = mmioOpenA(wave.data(), nullptr, MMIO_READ);
    ASSERT_NE(mmio, nullptr);
    char head[4] = {};
    EXPECT_EQ(mmioRead(mmio, head, 4), 4);
    EXPECT_EQ(std::string(head, 4), "RIFF");
    mmioClose(mmio, 0);
}

}  // namespace
