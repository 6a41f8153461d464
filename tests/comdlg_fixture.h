// The file dialogs' tests run where the test says which choosers exist: PATH is a
// folder holding only the fake zenity and kdialog it installs, and there is no
// session bus unless the test starts one.
#pragma once

#include <SDL.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "comdlg/commdlg.h"
#include "tests/fake_chooser.h"

namespace comdlgtest {

// "Text (*.txt)", "*.txt" and "All files", "*.*".
inline const char kTextFilter[] = "Text (*.txt)\0*.txt\0All files\0*.*\0";

// Asks the program to end (SDL_QUIT) when the test has not finished in time, so
// that a chooser that never answers fails the test instead of hanging it: a file
// dialog gives up on a quit request.
class Watchdog {
public:
    explicit Watchdog(int timeoutMs)
        : thread_([this, timeoutMs] {
              std::unique_lock<std::mutex> lock(mutex_);
              if (done_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return finished_; })) return;
              fired_ = true;
              SDL_Event quit{};
              quit.type = SDL_QUIT;
              SDL_PushEvent(&quit);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }
    bool Fired() {
        std::lock_guard<std::mutex> lock(mutex_);
        return fired_;
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread thread_;
};

// A plain window to own a dialog (SDL's video must be up).
inline HWND OpenOwnerWindow() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "NOL_COMDLG_OWNER";
    RegisterClassExA(&wc);  // already registered when several tests share a process
    HWND window = CreateWindowExA(0, "NOL_COMDLG_OWNER", "owner", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr,
                                  nullptr, nullptr, nullptr);
    if (window) ShowWindow(window, SW_SHOW);
    return window;
}

class ChooserTest : public ::testing::Test {
protected:
    FakeChoosers choosers;
    TempDir files;  // where the chosen files are
    ScopedEnv path{"PATH", choosers.bin.path.c_str()};
    ScopedEnv bus{"DBUS_SESSION_BUS_ADDRESS", nullptr};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", files.path.c_str()};  // no bus socket there either

    // A request for buffer with the text filter; flags and the rest as the test sets.
    static OPENFILENAMEA Dialog(char* buffer, DWORD size, DWORD flags = 0) {
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.lpstrFilter = kTextFilter;
        ofn.lpstrFile = buffer;
        ofn.nMaxFile = size;
        ofn.Flags = flags;
        ofn.lpstrDefExt = "txt";
        return ofn;
    }

    void Touch(const std::string& name) const { std::ofstream(files.File(name)) << "x"; }
};

}  // namespace comdlgtest
