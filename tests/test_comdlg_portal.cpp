// The file dialogs through the desktop portal: a session bus of the test's own,
// the fake portal on it (tests/fake_portal.py), and what goes over the bus: the
// call and its options, the answer on the request's Response signal, the
// request's Close when the program ends meanwhile, and the fallback to the next
// chooser when the portal answers with an error.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>
#include <string>

#include "display_required.h"
#include "support/test_support.h"
#include "tests/comdlg_fixture.h"
#include "tests/session_bus.h"
#include "win32/sdl_bridge.h"
#include "win32/test_hooks.h"

// Last: it brings X11's macros, which GoogleTest's headers must not meet.
#include <SDL_syswm.h>

using namespace comdlgtest;

namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

unsigned long X11Window(HWND window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    return SDL_GetWindowWMInfo(NolSdlWindow(window), &info) ? info.info.x11.window : 0;
}

// The first recorded line holding text ("" when none).
std::string RecordLine(const std::string& record, const std::string& text) {
    const std::string all = ReadFile(record);
    const size_t at = all.find(text);
    if (at == std::string::npos) return "";
    const size_t start = all.rfind('\n', at);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    return all.substr(from, all.find('\n', at) - from);
}

// The value of "key" in a recorded JSON line, as written.
std::string Field(const std::string& line, const std::string& key) {
    const std::string mark = "\"" + key + "\": ";
    const size_t at = line.find(mark);
    if (at == std::string::npos) return "";
    size_t end = at + mark.size(), depth = 0;
    bool quoted = false;
    for (; end < line.size(); ++end) {
        const char c = line[end];
        if (quoted) {
            if (c == '\\') ++end;
            else if (c == '"') quoted = false;
            continue;
        }
        if (c == '"') quoted = true;
        else if (c == '[' || c == '{') ++depth;
        else if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        } else if (c == ',' && depth == 0) break;
    }
    return line.substr(at + mark.size(), end - at - mark.size());
}

class ComdlgPortal : public ChooserTest {
protected:
    PrivateSessionBus session;
    FakePortal portal;
    std::unique_ptr<ScopedEnv> address;
    HWND window = nullptr;

    void SetUp() override {
        if (!Executable("/usr/bin/dbus-daemon")) NOL_SKIP_OR_FAIL("dbus-daemon is not installed (apt-get install dbus-daemon)");
        if (RunProcess(kPython, {"-c", "import gi; gi.require_version('Gio', '2.0')"}).exitCode != 0)
            NOL_SKIP_OR_FAIL("python3-gi is not installed (apt-get install python3-gi)");
        ASSERT_FALSE(session.address.empty()) << "dbus-daemon did not come up";
        address = std::make_unique<ScopedEnv>("DBUS_SESSION_BUS_ADDRESS", session.address.c_str());
        // Events only, so that a quit request can reach the dialog's wait.
        ASSERT_TRUE(NolInitSdlSubsystem(SDL_INIT_EVENTS));
        choosers.Install("zenity");
        Touch("chosen.txt");
    }

    void TearDown() override {
        if (window) DestroyWindow(window);
    }

    // A window to own the dialog, where a display can be had.
    void OpenWindow() {
        NOL_SKIP_WITHOUT_DISPLAY();
        window = OpenOwnerWindow();
        ASSERT_NE(window, nullptr);
    }

    std::string Uri(const std::string& name) const { return "uri:file://" + files.File(name); }
};

TEST_F(ComdlgPortal, OpenFileAsksWithTheOptionsAndTheAnswerComesBackAsAPath) {
    OpenWindow();
    if (IsSkipped()) return;
    Touch("a b.txt");
    ASSERT_TRUE(portal.Start(session, "uri:file://" + files.File("a%20b.txt"), {"--pick-filter", "1"}));

    Watchdog watchdog(ScaledMs(20000));
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_FILEMUSTEXIST);
    ofn.hwndOwner = window;
    const std::string title = ToCp932(U8(u8"開く"));
    ofn.lpstrTitle = title.c_str();
    ofn.lpstrInitialDir = files.path.c_str();
    ofn.nFilterIndex = 1;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_FALSE(watchdog.Fired());
    EXPECT_EQ(std::string(file), files.File("a b.txt"));
    // The portal's chooser left the second filter selected.
    EXPECT_EQ(ofn.nFilterIndex, 2u);
    EXPECT_FALSE(choosers.Started("zenity"));

    const std::string call = RecordLine(portal.Record(), "\"method\"");
    char parent[64];
    std::snprintf(parent, sizeof parent, "\"x11:%lx\"", X11Window(window));
    EXPECT_EQ(Field(call, "method"), "\"OpenFile\"");
    EXPECT_EQ(Field(call, "parent_window"), parent);
    EXPECT_EQ(Field(call, "title"), U8(u8"\"開く\""));
    EXPECT_EQ(Field(call, "modal"), "true");
    EXPECT_EQ(Field(call, "filters"), "[[\"Text (*.txt)\", [[0, \"*.txt\"]]], [\"All files\", [[0, \"*\"]]]]");
    EXPECT_EQ(Field(call, "current_filter"), "[\"Text (*.txt)\", [[0, \"*.txt\"]]]");
    EXPECT_EQ(Field(call, "current_folder"), "\"" + files.path + "\"");
    EXPECT_EQ(Field(call, "handle_token").rfind("\"nol", 0), 0u) << call;
    EXPECT_EQ(Field(call, "current_name"), "");  // an open proposes no name
}

TEST_F(ComdlgPortal, SaveFileProposesTheNameAndABareAnswerGetsTheExtension) {
    ASSERT_TRUE(portal.Start(session, Uri("draft")));
    Watchdog watchdog(ScaledMs(20000));
    char file[MAX_PATH] = "draft";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
    ASSERT_TRUE(GetSaveFileNameA(&ofn));
    EXPECT_EQ(std::string(file), files.File("draft.txt"));
    const std::string call = RecordLine(portal.Record(), "\"method\"");
    EXPECT_EQ(Field(call, "method"), "\"SaveFile\"");
    EXPECT_EQ(Field(call, "parent_window"), "\"\"");  // no owner window
    EXPECT_EQ(Field(call, "title"), "\"Save As\"");
    EXPECT_EQ(Field(call, "current_name"), "\"draft\"");
}

TEST_F(ComdlgPortal, TheProgramAsksWhenTheExtensionMakesTheAnswerAnExistingFile) {
    Touch("kept.txt");
    ASSERT_TRUE(portal.Start(session, Uri("kept")));
    static std::string asked;
    asked.clear();
    NolSetMessageBoxAnswerer([](HWND, LPCSTR text, LPCSTR, UINT) {
        asked = text;
        return IDYES;
    });
    Watchdog watchdog(ScaledMs(20000));
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file, OFN_OVERWRITEPROMPT);
    EXPECT_TRUE(GetSaveFileNameA(&ofn));
    NolSetMessageBoxAnswerer(nullptr);
    EXPECT_EQ(std::string(file), files.File("kept.txt"));
    EXPECT_NE(asked.find(files.File("kept.txt") + " already exists."), std::string::npos) << asked;
}

TEST_F(ComdlgPortal, ACancelEndsTheDialogWhileAnErrorAnswerHandsOverToTheNextChooser) {
    int run = 0;
    for (const char* answer : {"cancel", "end", "refuse"}) {
        SCOPED_TRACE(answer);
        FakePortal fake;
        ASSERT_TRUE(fake.Start(session, answer));
        const bool cancel = std::string(answer) == "cancel";
        if (!cancel) choosers.Answer("zenity", ++run, files.File("chosen.txt"), 0);
        Watchdog watchdog(ScaledMs(20000));
        char file[MAX_PATH] = "";
        OPENFILENAMEA ofn = Dialog(file, sizeof file);
        testing::internal::CaptureStderr();
        const BOOL chosen = GetOpenFileNameA(&ofn);
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_EQ(chosen, !cancel);
        EXPECT_EQ(CommDlgExtendedError(), 0u);
        if (cancel) {
            EXPECT_FALSE(choosers.Started("zenity", 1));
        } else {
            EXPECT_EQ(std::string(file), files.File("chosen.txt"));
            const char* why = std::string(answer) == "end" ? "portal: the portal ended the request (response 2); using zenity"
                                                           : "portal: the portal refused the call";
            EXPECT_NE(log.find(why), std::string::npos) << log;
        }
    }
}

TEST_F(ComdlgPortal, AnAnswerThatIsNoLocalFileIsRefused) {
    ASSERT_TRUE(portal.Start(session, "uri:https://example.org/notes.txt"));
    Watchdog watchdog(ScaledMs(20000));
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CommDlgExtendedError(), DWORD(FNERR_INVALIDFILENAME));
    EXPECT_NE(log.find("file dialog: not a local file: https://example.org/notes.txt"), std::string::npos) << log;
    EXPECT_FALSE(choosers.Started("zenity"));
}

TEST_F(ComdlgPortal, AQuitRequestClosesTheRequestItWasWaitingFor) {
    ASSERT_TRUE(portal.Start(session, "hold"));
    std::thread user([&] {
        EXPECT_TRUE(WaitForText(portal.Record(), "\"method\"", ScaledMs(10000)));
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    });
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    user.join();
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_FALSE(choosers.Started("zenity"));
    // Closed where the portal keeps the request: the caller's unique name without
    // its colon and with '_' for '.', then the token sent.
    const std::string call = RecordLine(portal.Record(), "\"method\"");
    std::string sender = Field(call, "sender");
    ASSERT_GE(sender.size(), 3u);
    sender = sender.substr(2, sender.size() - 3);  // without the quotes and the colon
    for (char& c : sender)
        if (c == '.') c = '_';
    const std::string token = Field(call, "handle_token");
    const std::string path = "/org/freedesktop/portal/desktop/request/" + sender + "/" + token.substr(1, token.size() - 2);
    EXPECT_TRUE(WaitForText(portal.Record(), "{\"closed\": \"" + path + "\"}", ScaledMs(5000))) << ReadFile(portal.Record());
    SDL_FlushEvent(SDL_QUIT);
}

TEST_F(ComdlgPortal, APortalThatIsNotRunningIsStartedByTheBus) {
    portal.MakeActivatable(session, Uri("chosen.txt"));
    Watchdog watchdog(ScaledMs(20000));
    char file[MAX_PATH] = "";
    OPENFILENAMEA ofn = Dialog(file, sizeof file);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(std::string(file), files.File("chosen.txt"));
    EXPECT_NE(RecordLine(portal.Record(), "\"OpenFile\""), "");
    EXPECT_FALSE(choosers.Started("zenity"));
}

}  // namespace
