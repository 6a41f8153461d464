// FileDialog: the one-type dialog the framework offers. What it asks the chooser
// (one filter, no initial name, a save that confirms), what it refuses before any
// chooser is shown, and, with the real zenity on a display of the test's own
// driven through the X server, an open, a save under a new name, a save over a
// file (zenity's own question comes up) and a cancel.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "display_required.h"
#include "input/file_dialog.h"
#include "input/input.h"
#include "shell/window.h"
#include "support/test_support.h"
#include "tests/comdlg_fixture.h"
#include "win32/sdl_bridge.h"

// Last: they bring X11's macros, which GoogleTest's headers must not meet.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace comdlgtest;

namespace {

using Strings = std::vector<std::string>;

class FileDialogRequest : public ChooserTest {
protected:
    void SetUp() override { choosers.Install("zenity"); }
};

TEST_F(FileDialogRequest, AnOpenShowsOneFilterAndNoNameAndNeedsAnExistingFile) {
    Touch("notes.txt");
    choosers.Answer("zenity", 1, files.File("notes.txt"), 0);
    choosers.Answer("zenity", 2, files.File("gone.txt"), 0);
    // Whatever the buffer held is no initial name.
    char file[MAX_PATH] = "leftover";
    EXPECT_NE(FileDialog(file, sizeof file, "Text", "txt", 0), 0);
    EXPECT_EQ(std::string(file), files.File("notes.txt"));
    EXPECT_EQ(choosers.Arguments("zenity"), (Strings{"--file-selection", "--file-filter=Text (*.txt) | *.txt"}));
    EXPECT_EQ(FileDialog(file, sizeof file, "Text", "txt", 0), 0);
}

TEST_F(FileDialogRequest, ASaveConfirmsAndGivesABareNameTheExtension) {
    choosers.Answer("zenity", 1, files.File("fresh"), 0);
    char file[MAX_PATH];
    EXPECT_NE(FileDialog(file, sizeof file, "Text", "txt", 1), 0);
    EXPECT_EQ(std::string(file), files.File("fresh.txt"));
    EXPECT_EQ(choosers.Arguments("zenity"), (Strings{"--file-selection", "--save", "--confirm-overwrite",
                                                     "--file-filter=Text (*.txt) | *.txt"}));
}

// The filter is built in 256 bytes: the description and twice the extension, with
// the 11 bytes the format adds. What does not fit is refused, not cut.
TEST_F(FileDialogRequest, ATypeTooLongForTheFilterIsRefusedBeforeAnyChooser) {
    const std::string fits(256 - 11 - 2 * 3, 'd');
    choosers.Answer("zenity", 1, files.File("long.txt"), 0);
    char file[MAX_PATH];
    EXPECT_NE(FileDialog(file, sizeof file, fits.c_str(), "txt", 1), 0);
    EXPECT_EQ(choosers.Arguments("zenity").back(), "--file-filter=" + fits + " (*.txt) | *.txt");

    testing::internal::CaptureStderr();
    EXPECT_EQ(FileDialog(file, sizeof file, (fits + "d").c_str(), "txt", 1), 0);
    EXPECT_EQ(FileDialog(file, sizeof file, "Text", std::string(123, 'x').c_str(), 0), 0);
    EXPECT_EQ(FileDialog(file, sizeof file, nullptr, "txt", 0), 0);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("FileDialog: description and extension too long for the filter"), std::string::npos) << log;
    EXPECT_FALSE(choosers.Started("zenity", 2));
}

TEST_F(FileDialogRequest, TheKeyThatOpenedTheDialogLeavesNoCharacterBehind) {
    choosers.Answer("zenity", 1, "", 1);
    SetTypedChar('o');
    char file[MAX_PATH];
    EXPECT_EQ(FileDialog(file, sizeof file, "Text", "txt", 0), 0);
    EXPECT_EQ(file[0], '\0');
    EXPECT_EQ(GetTypedChar(), 0);
}

// ---- the real zenity ----------------------------------------------------------

class FileDialogZenity : public ::testing::Test {
protected:
    static PrivateDisplay* display;
    TempDir dir;
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + dir.File("no-bus")).c_str()};
    // GTK without the accessibility bus, dconf or gvfs: nothing it starts stays behind.
    ScopedEnv accessibility{"NO_AT_BRIDGE", "1"};
    ScopedEnv settings{"GSETTINGS_BACKEND", "memory"};
    ScopedEnv vfs{"GIO_USE_VFS", "local"};
    HWND window = nullptr;

    // One display for the suite: SDL stays on the display it first opened.
    static void SetUpTestSuite() { display = new PrivateDisplay; }
    static void TearDownTestSuite() {
        delete display;
        display = nullptr;
    }

    void SetUp() override {
        if (!Executable("/usr/bin/zenity")) NOL_SKIP_OR_FAIL("zenity is not installed (apt-get install zenity)");
        if (!Executable("/usr/bin/xdotool")) NOL_SKIP_OR_FAIL("xdotool is not installed (apt-get install xdotool)");
        ASSERT_FALSE(display->name.empty()) << "Xvfb did not start";
        setenv("DISPLAY", display->name.c_str(), 1);
        NOL_SKIP_WITHOUT_DISPLAY();
        window = OpenOwnerWindow();
        ASSERT_NE(window, nullptr);
        mainWindow = window;
        std::ofstream(dir.File("existing.txt")) << "kept";
    }

    void TearDown() override {
        mainWindow = nullptr;
        if (window) DestroyWindow(window);
    }

    static bool Executable(const char* path) { return access(path, X_OK) == 0; }

    unsigned long MainWindowXid() const {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        return SDL_GetWindowWMInfo(NolSdlWindow(window), &info) ? info.info.x11.window : 0;
    }

    // The window that one is a dialog of (WM_TRANSIENT_FOR), read on a connection
    // of the caller's own.
    unsigned long TransientFor(const std::string& id) const {
        Display* x = XOpenDisplay(display->name.c_str());
        if (!x) return 0;
        ::Window parent = 0;
        if (!XGetTransientForHint(x, ::Window(std::stoul(id)), &parent)) parent = 0;
        XCloseDisplay(x);
        return parent;
    }

    ProcessResult Xdotool(const Strings& args) const {
        return RunProcess("/usr/bin/xdotool", args, {display->Env()}, ScaledMs(10000));
    }

    // zenity's windows on the screen now (the chooser, then its question).
    Strings ZenityWindows() const {
        Strings ids;
        const std::string out = Xdotool({"search", "--onlyvisible", "--class", "zenity"}).out;
        for (size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
            ids.push_back(out.substr(start, end - start));
        return ids;
    }

    // The newest of count zenity windows, focused; empty when they did not come.
    std::string WaitForWindows(size_t count) const {
        for (int waited = 0; waited < ScaledMs(15000); waited += 100) {
            const Strings ids = ZenityWindows();
            if (ids.size() >= count) {
                Xdotool({"windowfocus", "--sync", ids.back()});
                usleep(200 * 1000);  // GTK takes the focus in
                return ids.back();
            }
            usleep(100 * 1000);
        }
        return "";
    }

    bool WindowsGoneBelow(size_t count, int timeoutMs) const {
        for (int waited = 0;; waited += 100) {
            if (ZenityWindows().size() < count) return true;
            if (waited >= ScaledMs(timeoutMs)) return false;
            usleep(100 * 1000);
        }
    }

    // FileDialog for a text file on this thread, while user acts on the chooser
    // from another; the path chosen lands in file.
    int Dialog(int save, char (&file)[MAX_PATH], const std::function<void()>& user) const {
        Watchdog watchdog(ScaledMs(60000));
        std::thread acting(user);
        const int chosen = FileDialog(file, sizeof file, "Text", "txt", save);
        acting.join();
        EXPECT_FALSE(watchdog.Fired()) << "the chooser had to be given up";
        return chosen;
    }

    // Types text where the focus is and confirms it with Enter. The entry's
    // completion may take the first Enter for itself: another is sent then.
    void Enter(const std::string& text, size_t windows) const {
        Xdotool({"type", "--delay", "30", text});
        usleep(400 * 1000);
        for (int attempt = 0; attempt < 3; ++attempt) {
            Xdotool({"key", "Return"});
            if (WindowsGoneBelow(windows, 1500)) return;
        }
    }
};

PrivateDisplay* FileDialogZenity::display = nullptr;

TEST_F(FileDialogZenity, OpensAnExistingFileTypedIntoTheLocationAsADialogOfTheMainWindow) {
    unsigned long owner = 0;
    char file[MAX_PATH];
    ASSERT_NE(Dialog(0, file, [&] {
                  const std::string chooser = WaitForWindows(1);
                  if (chooser.empty()) return ADD_FAILURE() << "no zenity window";
                  owner = TransientFor(chooser);
                  Xdotool({"key", "ctrl+l"});
                  usleep(300 * 1000);
                  Enter(dir.File("existing.txt"), 1);
              }),
              0);
    EXPECT_EQ(std::string(file), dir.File("existing.txt"));
    // The window manager is told whose dialog the chooser is.
    EXPECT_EQ(owner, MainWindowXid());
}

TEST_F(FileDialogZenity, SavesUnderANewNameWithTheExtensionAdded) {
    char file[MAX_PATH];
    ASSERT_NE(Dialog(1, file, [&] {
                  if (WaitForWindows(1).empty()) return ADD_FAILURE() << "no zenity window";
                  Xdotool({"key", "ctrl+a"});
                  Enter(dir.File("fresh"), 1);
              }),
              0);
    EXPECT_EQ(std::string(file), dir.File("fresh.txt"));
}

TEST_F(FileDialogZenity, SavingOverAFileAsksFirst) {
    bool asked = false;
    char file[MAX_PATH];
    const int chosen = Dialog(1, file, [&] {
        if (WaitForWindows(1).empty()) return ADD_FAILURE() << "no zenity window";
        Xdotool({"key", "ctrl+a"});
        Xdotool({"type", "--delay", "30", dir.File("existing.txt")});
        usleep(400 * 1000);
        // Enter until the question comes up beside the chooser (the entry's
        // completion may take the first).
        for (int attempt = 0; attempt < 3 && !asked; ++attempt) {
            Xdotool({"key", "Return"});
            for (int waited = 0; waited < ScaledMs(1500) && !asked; waited += 100) {
                asked = ZenityWindows().size() >= 2;
                usleep(100 * 1000);
            }
        }
        if (!asked) return ADD_FAILURE() << "zenity did not ask before replacing the file";
        WaitForWindows(2);
        Xdotool({"key", "Return"});  // Replace, the question's default
    });
    EXPECT_TRUE(asked);
    ASSERT_NE(chosen, 0);
    EXPECT_EQ(std::string(file), dir.File("existing.txt"));
}

TEST_F(FileDialogZenity, EscapeCancels) {
    char file[MAX_PATH];
    EXPECT_EQ(Dialog(0, file, [&] {
                  if (WaitForWindows(1).empty()) return ADD_FAILURE() << "no zenity window";
                  for (int attempt = 0; attempt < 3 && !WindowsGoneBelow(1, 0); ++attempt) {
                      Xdotool({"key", "Escape"});
                      WindowsGoneBelow(1, 1500);
                  }
              }),
              0);
    EXPECT_EQ(file[0], '\0');
}

}  // namespace
