// The sound of media files, caught in a WAV file in place of the output: each
// format's tone is there, as loud and as long as encoded, and it takes as long to
// play as it lasts.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dshow/dshow_test_hooks.h"
#include "media_fixture.h"

namespace {

struct Sound {
    int rate = 0, channels = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved
    double Seconds() const { return channels && rate ? double(samples.size()) / channels / rate : 0; }
};

uint32_t Le32(const std::string& b, size_t at) {
    return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 | uint32_t(uint8_t(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

// The format and samples of a PCM WAV file, chunk by chunk.
Sound ReadWav(const std::string& bytes) {
    Sound sound;
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) return sound;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = std::min<size_t>(Le32(bytes, at + 4), bytes.size() - at - 8);
        if (id == "fmt " && size >= 16) {
            sound.channels = Le16(bytes, at + 10);
            sound.rate = int(Le32(bytes, at + 12));
            sound.bits = Le16(bytes, at + 22);
        } else if (id == "data") {
            sound.samples.resize(size / 2);
            std::memcpy(sound.samples.data(), bytes.data() + at + 8, sound.samples.size() * 2);
        }
        at += 8 + size + (size & 1);
    }
    return sound;
}

class MediaAudio : public MediaWindow {
protected:
    // Plays the file to its end through a graph made with the capture in place of
    // the output; the sound it made, and how long that took.
    Sound PlayToTheEnd(const std::string& file, double* ms) {
        FreeDirectShow();
        NolDShowCaptureAudio(wav.c_str());
        const int started = InitDirectShow();
        NolDShowCaptureAudio(nullptr);
        EXPECT_EQ(started, 1);
        const double begun = NowMs();
        EXPECT_EQ(PlayMedia(file.c_str()), 1);
        EXPECT_TRUE(FramesUntil([] { return !IsMediaPlaying(); }, ScaledMs(10000)));
        *ms = NowMs() - begun;
        FreeDirectShow();  // the file is complete once the graph has stopped
        return ReadWav(ReadFile(wav));
    }

    // Encodes with GStreamer's own tools, as the build makes the clips.
    void Encode(const std::string& pipeline) {
        if (RunProcess("/bin/sh", {"-c", "command -v gst-launch-1.0"}).exitCode != 0)
            NOL_SKIP_OR_FAIL("gst-launch-1.0 is not installed (apt-get install gstreamer1.0-tools)");
        const ProcessResult r = RunProcess("/bin/sh", {"-c", "gst-launch-1.0 -q " + pipeline}, {}, ScaledMs(60000));
        ASSERT_EQ(r.exitCode, 0) << pipeline << "\n" << r.err;
    }

    void ExpectTheTone(const Sound& sound, double seconds) {
        ASSERT_EQ(sound.rate, 44100);
        ASSERT_EQ(sound.channels, 2);
        ASSERT_EQ(sound.bits, 16);
        EXPECT_NEAR(sound.Seconds(), seconds, 0.06);
        // The encoded tone: a sine of half full scale (RMS about 0.35 of it) at
        // 440 Hz, so 880 sign changes a second, in the left channel and the right;
        // measured from its first loud sample to its last, as an encoder may pad
        // either end with silence.
        for (int channel = 0; channel < 2; ++channel) {
            const size_t frames = sound.samples.size() / 2;
            auto at = [&](size_t i) { return sound.samples[i * 2 + channel]; };
            size_t first = 0, last = frames;
            while (first < frames && std::abs(at(first)) < 1000) ++first;
            while (last > first && std::abs(at(last - 1)) < 1000) --last;
            ASSERT_GT(last - first, size_t(sound.rate) * seconds * 0.9) << "channel " << channel << " is silent";
            double sum = 0;
            long crossings = 0;
            int side = 0;  // the sign last seen clearly away from 0, so that noise near 0 does not count
            for (size_t i = first; i < last; ++i) {
                sum += double(at(i)) * at(i);
                const int now = at(i) > 1000 ? 1 : at(i) < -1000 ? -1 : side;
                if (side && now != side) ++crossings;
                side = now;
            }
            const double loudSeconds = double(last - first) / sound.rate;
            EXPECT_NEAR(std::sqrt(sum / (last - first)) / 32768, 0.354, 0.05) << "channel " << channel;
            EXPECT_NEAR(crossings / loudSeconds, 880, 20) << "channel " << channel;
        }
    }

    TempDir dir;
    std::string wav = dir.File("sound.wav");
};

TEST_F(MediaAudio, TheOggClipsVorbisSound) {
    double ms = 0;
    const Sound sound = PlayToTheEnd(DataFile("demo_clip.ogv"), &ms);
    ExpectTheTone(sound, kClipSeconds);
    EXPECT_GT(ms, kClipSeconds * 1000 - 100) << "the sound was not paced as it plays";
}

TEST_F(MediaAudio, TheWebmClipsOpusSound) {
    double ms = 0;
    ExpectTheTone(PlayToTheEnd(DataFile("demo_clip.webm"), &ms), kClipSeconds);
}

TEST_F(MediaAudio, AWavFile) {
    double ms = 0;
    ExpectTheTone(PlayToTheEnd(DataFile("demo_tone.wav"), &ms), 2.0);
    EXPECT_GT(ms, 1900);
}

// The other formats the installed plug-ins decode: FLAC, MP3 and WebM with VP9
// video, each a second of the tone (MP3 carries its encoder's padding, a few
// hundredths of a second).
TEST_F(MediaAudio, FlacMp3AndVp9) {
    const std::string tone =
        "audiotestsrc num-buffers=30 samplesperbuffer=1470 freq=440 volume=0.5 ! audio/x-raw,rate=44100,channels=2";
    Encode(tone + " ! flacenc ! filesink location=" + dir.File("tone.flac"));
    Encode(tone + " ! lamemp3enc ! filesink location=" + dir.File("tone.mp3"));
    Encode("videotestsrc pattern=smpte num-buffers=30 ! video/x-raw,width=320,height=240,framerate=30/1 ! vp9enc "
           "deadline=1 ! webmmux name=mux ! filesink location=" + dir.File("bars.webm") + " " + tone +
           " ! audioresample ! opusenc ! mux.");
    double ms = 0;
    ExpectTheTone(PlayToTheEnd(dir.File("tone.flac"), &ms), 1.0);
    ExpectTheTone(PlayToTheEnd(dir.File("tone.mp3"), &ms), 1.05);  // the encoder's padding: about 50 ms
    ExpectTheTone(PlayToTheEnd(dir.File("bars.webm"), &ms), 1.0);

    // The VP9 picture over the client area.
    ASSERT_EQ(InitDirectShow(), 1);
    ASSERT_EQ(PlayMedia(dir.File("bars.webm").c_str()), 1);
    EXPECT_TRUE(FramesUntil([&] { return ShowsBars(Grab(), RECT{0, 0, 640, 480}); }, ScaledMs(3000)));
}

}  // namespace
