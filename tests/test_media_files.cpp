// Files the player is given, good and bad: each a log line of its own, nothing
// left playing when it does not play, and the player as good as before after it.
#include <fstream>

#include "dshow/dshow_test_hooks.h"
#include "media_fixture.h"

namespace {

// A u8"" literal as the bytes it holds.
std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

class MediaFiles : public MediaWindow {
protected:
    // PlayMedia's result, with what it logged.
    int Play(const std::string& name, std::string* log) {
        testing::internal::CaptureStderr();
        const int result = PlayMedia(name.c_str());
        *log = testing::internal::GetCapturedStderr();
        return result;
    }

    void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // The clip plays after whatever came before it.
    void ExpectTheClipStillPlays() {
        std::string log;
        EXPECT_EQ(Play(DataFile("demo_clip.ogv"), &log), 1) << log;
        EXPECT_TRUE(FramesUntil([&] { return ShowsBars(Grab(), RECT{0, 0, 640, 480}); }, ScaledMs(3000)));
        StopMedia();
    }

    TempDir dir;
};

TEST_F(MediaFiles, FilesThatCannotPlayAreRefusedWithTheirReason) {
    const std::string clip = ReadFile(DataFile("demo_clip.ogv"));
    ASSERT_GT(clip.size(), 20000u);
    std::string damaged = clip;
    for (size_t i = 0; i < 8192; ++i) damaged[i] = char(i * 7 + 13);  // the headers gone
    Write(dir.File("damaged.ogv"), damaged);
    Write(dir.File("notes.ogv"), "These are not the frames you are looking for.\n");
    Write(dir.File("empty.ogv"), "");
    const struct {
        std::string name;
        const char* reason;  // in the line after
    } kCases[] = {
        {dir.File("missing.ogv"), "no such file"},
        {dir.path, "not a file"},
        {dir.File("notes.ogv"), nullptr},
        {dir.File("empty.ogv"), nullptr},
        {dir.File("damaged.ogv"), nullptr},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        std::string log;
        const double before = NowMs();
        EXPECT_EQ(Play(c.name, &log), 0);
        EXPECT_LT(NowMs() - before, ScaledMs(3000)) << "refusing took long";
        EXPECT_EQ(log.rfind("play(" + c.name + ") ... can't render.\nmedia: ", 0), 0u) << log;
        if (c.reason) {
            EXPECT_NE(log.find(std::string("media: ") + c.reason + "\n"), std::string::npos) << log;
        }
        EXPECT_EQ(IsMediaPlaying(), 0);
        EXPECT_EQ(MediaState.videoWindow, nullptr);
        EXPECT_TRUE(MappedChildren().empty());
    }
    ExpectTheClipStillPlays();
}

// A clip cut short plays what it has and ends by itself: no hang, no crash, the
// playing flag down again.
TEST_F(MediaFiles, ATruncatedClipPlaysWhatItHasAndEnds) {
    const std::string clip = ReadFile(DataFile("demo_clip.ogv"));
    Write(dir.File("cut.ogv"), clip.substr(0, clip.size() / 3));
    std::string log;
    const int played = Play(dir.File("cut.ogv"), &log);
    EXPECT_NE(log.find("play(" + dir.File("cut.ogv") + ") ... "), std::string::npos);
    if (played) {
        EXPECT_NE(log.find("ok.\n"), std::string::npos) << log;
        EXPECT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(6000)));
    } else {
        EXPECT_NE(log.find("can't render.\n"), std::string::npos) << log;
    }
    EXPECT_EQ(IsMediaPlaying(), 0);
    ExpectTheClipStillPlays();
}

// The program names files in its code page; on disk the name is UTF-8, as Linux
// desktops spell file names, or the program's own bytes, as the rest of the
// platform opens files. Either way the file plays, and the log keeps the name as given.
TEST_F(MediaFiles, AJapaneseNameReachesTheFileOnDisk) {
    const std::string utf8Name = dir.File(Utf8(u8"映像テスト.ogv"));
    CopyFile(DataFile("demo_clip.ogv"), utf8Name);
    const std::string name = ToCp932(utf8Name);
    std::string log;
    EXPECT_EQ(Play(name, &log), 1) << log;
    // The log reaches standard error in UTF-8.
    EXPECT_EQ(ToCp932(log), "play(" + name + ") ... ok.\n");
    StopMedia();

    CopyFile(DataFile("demo_clip.webm"), ToCp932(dir.File(Utf8(u8"予告編.WEBM"))));
    EXPECT_EQ(Play(ToCp932(dir.File(Utf8(u8"予告編.webm"))), &log), 1) << log;  // letters in any case, as there
    StopMedia();
}

// Names reach the graph through a buffer of MAX_PATH wide characters: a longer
// one is refused whole, never cut or run past the buffer's end.
TEST_F(MediaFiles, ANameTooLongForThePathBufferIsNotRendered) {
    std::string name = dir.path + "/";
    while (name.size() < MAX_PATH + 40) name += "a";
    name += ".ogv";
    std::string log;
    EXPECT_EQ(Play(name, &log), 0);
    // The log line itself is cut to the log's 255 characters.
    EXPECT_EQ(log.rfind("play(" + dir.path + "/aaaa", 0), 0u) << log;
    EXPECT_TRUE(log.ends_with("can't render.\n")) << log;
    EXPECT_EQ(log.find("media:"), std::string::npos) << log;
    // One character short of the limit converts, and is only missing.
    EXPECT_EQ(Play(name.substr(0, MAX_PATH - 1), &log), 0);
    EXPECT_NE(log.find("media: no such file"), std::string::npos) << log;
}

// A decoder that is not installed is named: the file is refused when nothing of
// it can be played, and plays without the stream that has no decoder otherwise.
TEST_F(MediaFiles, AMissingPlugInIsNamed) {
    ASSERT_TRUE(NolDShowHideElement("theoradec", true));
    ASSERT_TRUE(NolDShowHideElement("vorbisdec", true));
    std::string log;
    EXPECT_EQ(Play(DataFile("demo_clip.ogv"), &log), 0);
    EXPECT_NE(log.find("can't render.\nmedia: a GStreamer plug-in is missing: "), std::string::npos) << log;
    EXPECT_NE(log.find("Theora"), std::string::npos) << log;
    EXPECT_NE(log.find("Vorbis"), std::string::npos) << log;

    // A new graph, which chooses its decoders anew: the sound has one now.
    FreeDirectShow();
    NolDShowHideElement("vorbisdec", false);
    ASSERT_EQ(InitDirectShow(), 1);
    EXPECT_EQ(Play(DataFile("demo_clip.ogv"), &log), 1) << log;
    EXPECT_NE(log.find("ok.\nmedia: a GStreamer plug-in is missing: Theora"), std::string::npos) << log;
    Frame();
    EXPECT_TRUE(MappedChildren().empty()) << "a video window without video";
    EXPECT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(8000)));
    NolDShowHideElement("theoradec", false);
}

}  // namespace
