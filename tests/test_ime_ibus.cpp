// Typing into the demo's text field with keys sent through the X server, as a
// player types, on a display of its own: Japanese through a real input method (a
// private session bus, IBus and its Anthy engine, all started here), where a
// reading converted and committed reaches the field, the demo's log and the
// screen; and plain typing where no input method runs.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "render/frame.h"
#include "render/text.h"
#include "render_fixture.h"
#include "support/test_support.h"
#include "program_window.h"  // last: it brings Xlib

namespace {

constexpr int kWidth = 640, kHeight = 480;
// Where the demo's text screen puts its field and the line of the last text.
constexpr int kFieldX = 64, kFieldY = 200;
constexpr int kLineX = 54, kLineY = 250;
constexpr int kGlyph = 16;  // a double-byte character: the font height wide

// The input method's programs inherit the system's PATH: the Anthy engine is a
// Python program that needs the system's Python with its GObject bindings.
const char kSystemPath[] = "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

using Picture = std::vector<uint32_t>;

bool Installed(const char* program) { return access(program, X_OK) == 0; }

// A daemon and whatever it starts (IBus starts its engines), in the process group
// the test started it in: all of it goes when the test ends.
struct Daemon {
    ChildProcess process;
    ~Daemon() {
        if (process.pid > 0) kill(-process.pid, SIGKILL);
    }
};

class DemoTyping : public FrameworkDevice {
protected:
    TempDir dir;
    PrivateDisplay display;
    Daemon bus, ibus;
    ChildProcess demo;
    ProgramWindow window{display};
    std::vector<std::string> env;

    // Whether IBus runs for the demo.
    virtual bool WithInputMethod() const = 0;

    void SetUp() override {
        FrameworkDevice::SetUp();  // reference pictures are rendered here
        if (!Ready()) return;
        std::vector<const char*> needed = {"/usr/bin/xdotool"};
        if (WithInputMethod())
            needed.insert(needed.end(), {"/usr/bin/dbus-daemon", "/usr/bin/ibus-daemon", "/usr/bin/ibus",
                                         "/usr/libexec/ibus-engine-anthy"});
        for (const char* p : needed)
            if (!Installed(p)) NOL_SKIP_OR_FAIL(std::string(p) + " is not installed (tools/setup.sh installs it)");
        ASSERT_FALSE(display.name.empty()) << "Xvfb did not start";
        MakeHome();
        if (WithInputMethod()) {
            StartBus();
            StartIbus();
            if (HasFatalFailure()) return;
        }
        StartDemo();
    }

    // A home of its own: IBus's address file and caches, and the Anthy engine's
    // settings, which start it in hiragana (its own default is Latin).
    void MakeHome() {
        for (const char* d : {"home", "home/.config", "home/.config/glib-2.0", "home/.config/glib-2.0/settings",
                              "home/.cache", "home/.local", "home/.local/share", "run"})
            mkdir(dir.File(d).c_str(), 0700);
        std::ofstream(dir.File("home/.config/glib-2.0/settings/keyfile"))
            << "[org/freedesktop/ibus/engine/anthy/common]\ninput-mode=0\n";
        env = {display.Env(),
               kSystemPath,
               "HOME=" + dir.File("home"),
               "XDG_CONFIG_HOME=" + dir.File("home/.config"),
               "XDG_CACHE_HOME=" + dir.File("home/.cache"),
               "XDG_DATA_HOME=" + dir.File("home/.local/share"),
               "XDG_RUNTIME_DIR=" + dir.File("run"),
               "DBUS_SESSION_BUS_ADDRESS=unix:path=" + dir.File("run/bus"),
               "GSETTINGS_BACKEND=keyfile",
               "SDL_IM_MODULE=ibus",
               "XMODIFIERS=@im=none",
               "GTK_IM_MODULE=",
               "QT_IM_MODULE="};
    }

    // A session bus that starts nothing by itself (no service files): whatever
    // runs here was started by this test.
    void StartBus() {
        std::ofstream(dir.File("bus.conf"))
            << "<busconfig><type>session</type><listen>unix:path=" << dir.File("run/bus")
            << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\"/>"
               "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
        bus.process.pid = StartProcess("/usr/bin/dbus-daemon", {"--config-file=" + dir.File("bus.conf"), "--nofork"},
                                       env);
        ASSERT_GT(bus.process.pid, 0);
        ASSERT_TRUE(WaitForPath(dir.File("run/bus"))) << "the session bus did not start";
    }

    // IBus alone, without its panel, configuration or emoji programs, with Anthy
    // as the engine of every input context. The demo finds it as programs on the
    // desktop do, through the address file IBus writes under XDG_CONFIG_HOME
    // (SDL reads no IBUS_ADDRESS); the daemon and its command line are told the
    // address, so that the test knows when it listens.
    void StartIbus() {
        const std::string address = "unix:path=" + dir.File("run/ibus");
        std::vector<std::string> ibusEnv = env;
        ibusEnv.push_back("IBUS_ADDRESS=" + address);
        ibus.process.pid = StartProcess("/usr/bin/ibus-daemon",
                                        {"--panel=disable", "--emoji-extension=disable", "--config=disable",
                                         "--cache=none", "--address=" + address},
                                        ibusEnv);
        ASSERT_GT(ibus.process.pid, 0);
        ASSERT_TRUE(WaitForPath(dir.File("run/ibus"))) << "ibus-daemon did not start";
        ASSERT_TRUE(WaitForPath(dir.File("home/.config/ibus/bus"))) << "ibus-daemon wrote no address file";
        std::string engine;
        for (int i = 0; i < ScaledMs(100) && engine != "anthy"; ++i) {
            RunProcess("/usr/bin/ibus", {"engine", "anthy"}, ibusEnv, ScaledMs(10000));
            engine = RunProcess("/usr/bin/ibus", {"engine"}, ibusEnv, ScaledMs(10000)).out;
            while (!engine.empty() && (engine.back() == '\n' || engine.back() == ' ')) engine.pop_back();
            if (engine != "anthy") usleep(100000);
        }
        ASSERT_EQ(engine, "anthy") << "IBus did not take the Anthy engine";
    }

    void StartDemo() {
        const std::string program = dir.File("noldemo");
        CopyFile(NOL_DEMO_PROGRAM, program);
        ASSERT_EQ(symlink(NOL_DATA_DIR, dir.File("data").c_str()), 0);
        std::vector<std::string> demoEnv = env;
        demoEnv.insert(demoEnv.end(), {"NOL_AUTO_MESSAGEBOX=ok", "SDL_AUDIODRIVER=dummy", "ALSOFT_DRIVERS=none"});
        demo.pid = StartProcess(program, {"-win", "-dbf"}, demoEnv, dir.path);
        ASSERT_GT(demo.pid, 0);
        ASSERT_TRUE(window.Find(demo.pid)) << "the demo's window did not appear\n" << ReadFile(Log());
        ASSERT_TRUE(WaitForText(Log(), "screen 1:", ScaledMs(20000))) << ReadFile(Log());
        window.Focus();
        ASSERT_TRUE(window.WaitForFirstPicture(kWidth, kHeight)) << "the demo drew nothing";
    }

    bool WaitForPath(const std::string& path) {
        for (int i = 0; i < ScaledMs(200); ++i) {
            if (FileExists(path)) return true;
            usleep(50000);
        }
        return false;
    }

    std::string Log() const { return dir.File("debug.txt"); }

    // Whether text appears in the log after its first `from` bytes, within a while.
    bool LogsAfter(const std::string& text, size_t from) {
        for (int waited = 0; waited < ScaledMs(10000); waited += 50) {
            if (ReadFile(Log()).find(text, from) != std::string::npos) return true;
            usleep(50000);
        }
        return false;
    }

    // Let go a moment before the next key.
    void Press(const std::string& key) {
        window.Press(key);
        usleep(ScaledMs(100) * 1000);
    }

    Picture Grab() { return window.Grab(kWidth, kHeight); }
};

// Bright pixels of a glyph row: the body of white text, whatever lies under it.
std::vector<bool> Ink(const Picture& p, int left, int top, int width) {
    std::vector<bool> ink;
    for (int y = top; y < top + kGlyph; ++y)
        for (int x = left; x < left + width; ++x) {
            const uint32_t c = p[size_t(y) * kWidth + x];
            ink.push_back(((c >> 16) & 0xFF) > 0xC0 && ((c >> 8) & 0xFF) > 0xC0 && (c & 0xFF) > 0xC0);
        }
    return ink;
}

int Count(const std::vector<bool>& v) {
    int n = 0;
    for (bool b : v) n += b;
    return n;
}

class ImeIbus : public DemoTyping {
    bool WithInputMethod() const override { return true; }
};

// No session bus, so SDL finds no input method.
class NoInputMethod : public DemoTyping {
    bool WithInputMethod() const override { return false; }
};

TEST_F(ImeIbus, AReadingConvertedAndCommittedReachesTheFieldTheLogAndTheScreen) {
    // Keys reach the program while no field holds an input context, though the
    // input method is in hiragana: "0" switches to the text screen.
    Press("0");
    ASSERT_TRUE(LogsAfter("screen 10:", 0)) << ReadFile(Log());
    usleep(ScaledMs(500) * 1000);
    const Picture empty = Grab();

    for (const char* key : {"n", "i", "h", "o", "n", "g", "o", "space"}) Press(key);
    usleep(ScaledMs(300) * 1000);
    const Picture composing = Grab();
    SavePng(composing, kWidth, kHeight, "ime_ibus_composing");

    // Enter during the composition commits it into the field; Enter again takes
    // the text.
    Press("Return");
    Press("Return");
    ASSERT_TRUE(LogsAfter("text: 日本語\n", 0)) << ReadFile(Log());
    usleep(ScaledMs(300) * 1000);
    const Picture taken = Grab();
    SavePng(taken, kWidth, kHeight, "ime_ibus_taken");

    // The line of the last text, as the same font draws "text: 日本語".
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    BeginText();
    DrawTextAt(kLineX, kLineY, "text: 日本語");
    EndText();
    const Picture reference = ReadSurface(GraphicsState.device, nullptr, "ime_ibus_reference");
    EndFrame();
    ASSERT_EQ(reference.size(), taken.size());
    int differing = 0, lit = 0;
    for (int py = kLineY; py < kLineY + kGlyph; ++py)
        for (int px = kLineX; px < kLineX + 12 * 8; ++px) {
            const size_t at = size_t(py) * kWidth + px;
            differing += reference[at] != taken[at];
            lit += (reference[at] & 0xFFFFFF) != 0;
        }
    EXPECT_GT(lit, 150);
    EXPECT_EQ(differing, 0);

    // During the conversion the field showed the same three characters at its
    // caret, drawn by the field itself over its box.
    const int kanjiX = kLineX + 6 * 8;
    const std::vector<bool> shown = Ink(composing, kFieldX, kFieldY, 3 * kGlyph);
    const std::vector<bool> committed = Ink(taken, kanjiX, kLineY, 3 * kGlyph);
    int agree = 0;
    for (size_t i = 0; i < shown.size(); ++i) agree += shown[i] && committed[i];
    EXPECT_GT(Count(committed), 60);
    EXPECT_GE(agree * 10, Count(committed) * 9) << "the composition is not the committed text";
    EXPECT_EQ(Count(Ink(empty, kFieldX, kFieldY, 3 * kGlyph)), 0) << "the field was not empty";

    // Leaving the screen gives the context back: digits switch screens again.
    size_t before = ReadFile(Log()).size();
    Press("Next");
    ASSERT_TRUE(LogsAfter("screen 11:", before)) << ReadFile(Log());  // the media screen
    before = ReadFile(Log()).size();
    Press("2");
    EXPECT_TRUE(LogsAfter("screen 2:", before)) << ReadFile(Log());

    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0) << ReadFile(Log());
}

TEST_F(NoInputMethod, TypingGoesThroughWmCharAndEscapeCancelsThenLeaves) {
    Press("0");
    ASSERT_TRUE(LogsAfter("screen 10:", 0)) << ReadFile(Log());
    usleep(ScaledMs(500) * 1000);
    // Digits go into the field while it is shown.
    for (const char* key : {"a", "b", "1", "Left", "Left", "c", "Return"}) Press(key);
    EXPECT_TRUE(LogsAfter("text: acb1\n", 0)) << ReadFile(Log());
    EXPECT_EQ(ReadFile(Log()).find("screen 1:", ReadFile(Log()).find("screen 10:")), std::string::npos)
        << "a digit switched screens";

    // Escape cancels what is typed; from the empty field it ends the demo.
    Press("x");
    Press("Escape");
    EXPECT_TRUE(LogsAfter("cancelled\n", 0)) << ReadFile(Log());
    EXPECT_FALSE(demo.WaitFor(ScaledMs(500))) << "the first Escape ended the demo";
    Press("Escape");
    EXPECT_EQ(demo.ExitCode(ScaledMs(15000)), 0) << ReadFile(Log());
}

}  // namespace
