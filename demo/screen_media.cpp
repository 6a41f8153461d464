// Screen 11: media playback. The Ogg clip plays as the screen opens, over the
// whole window; P plays it again, W plays the WebM clip, T a WAV tone (sound
// only), S stops. Between plays the screen shows the keys, the playing flag and
// the media lines of the log (with -dbf), over a strip of frames running past.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "demo/screen.h"
#include "input/input.h"
#include "render/direct3d.h"
#include "render/text.h"
#include "scene/shapes.h"
#include "shell/log.h"
#include "sound/media.h"

namespace {

constexpr int kLogLines = 8;
constexpr size_t kLogColumns = 74;
constexpr long kLogTailBytes = 8192;

int started = 0;  // InitDirectShow succeeded
int frame = 0;
int wasPlaying = 0;
std::vector<std::string> logTail;

bool IsMediaLine(const char* line) {
    for (const char* start : {"play(", "media: ", "DirectShow", "InitDirectShow", "FreeDirectShow"})
        if (std::strncmp(line, start, std::strlen(start)) == 0) return true;
    return false;
}

// The last media lines of the log file, each cut to the screen's width.
void ReadLogTail() {
    logTail.clear();
    const char* path = GetLogPath();
    FILE* file = path[0] ? std::fopen(path, "rb") : nullptr;
    if (!file) return;
    if (std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > kLogTailBytes)
        std::fseek(file, -kLogTailBytes, SEEK_END);
    else
        std::fseek(file, 0, SEEK_SET);
    char line[LOG_LINE_SIZE];
    while (std::fgets(line, sizeof line, file)) {
        if (!IsMediaLine(line)) continue;
        line[std::strcspn(line, "\r\n")] = '\0';
        if (std::strlen(line) > kLogColumns) std::strcpy(line + kLogColumns - 3, "...");
        logTail.emplace_back(line);
        if (logTail.size() > kLogLines) logTail.erase(logTail.begin());
    }
    std::fclose(file);
}

void Play(const char* name) {
    if (started) PlayMedia(name);
    ReadLogTail();
}

void Enter() {
    frame = 0;
    started = InitDirectShow();
    Play("data/demo_clip.ogv");
}

void Leave() {
    StopMedia();
    FreeDirectShow();
    started = 0;
}

void Keys() {
    if (GetKey(DIK_P) == KEY_PUSHED) Play("data/demo_clip.ogv");
    if (GetKey(DIK_W) == KEY_PUSHED) Play("data/demo_clip.webm");
    if (GetKey(DIK_T) == KEY_PUSHED) Play("data/demo_tone.wav");
    if (GetKey(DIK_S) == KEY_PUSHED) {
        StopMedia();
        ReadLogTail();
    }
}

// A film strip running right to left: the screen moves while nothing plays.
void DrawStrip() {
    SetLighting(FALSE);
    FillRect2D(0, 232, 640, 300, 0xFF202020);
    const int offset = (frame * 3) % 80;
    for (int x = -80; x < 720; x += 80) {
        const int left = x - offset;
        FillRect2D(left + 8, 240, left + 72, 292, 0xFF305878);
        for (int hole = 0; hole < 4; ++hole) {
            FillRect2D(left + hole * 20 + 4, 234, left + hole * 20 + 12, 238, 0xFFC0C0C0);
            FillRect2D(left + hole * 20 + 4, 294, left + hole * 20 + 12, 298, 0xFFC0C0C0);
        }
    }
}

void Frame() {
    ++frame;
    Keys();
    // The end of a play shows in the log: read it again then.
    if (wasPlaying && !IsMediaPlaying()) ReadLogTail();
    wasPlaying = IsMediaPlaying();
    DrawStrip();
    BeginText();
    DrawTextAt(8, 8, "P: Ogg Theora/Vorbis   W: WebM VP8/Opus   T: WAV tone   S: stop");
    DrawTextFormat(8, 32, "playing: %d%s", IsMediaPlaying(), started ? "" : "   (DirectShow did not start)");
    if (logTail.empty()) DrawTextAt(8, 60, GetLogPath()[0] ? "(no media lines in the log yet)" : "(the log shows here with -dbf)");
    for (size_t i = 0; i < logTail.size(); ++i) DrawTextAt(8, 312 + int(i) * 16, logTail[i].c_str());
    EndText();
}

}  // namespace

const DemoScreen kMediaScreen = {"media: P Ogg, W WebM, T WAV, S stop", Enter, Frame, Leave, nullptr};
