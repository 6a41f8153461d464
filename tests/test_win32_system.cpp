// The Win32 stand-in's process and system functions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/codepage.h"
#include "support/test_support.h"
#include "win32/windows.h"

namespace {

TEST(Win32System, ModuleFileNameIsTheRunningProgramAndTruncatesSafely) {
    char full[MAX_PATH];
    DWORD n = GetModuleFileNameA(GetModuleHandleA(nullptr), full, sizeof full);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::strlen(full), n);
    EXPECT_NE(std::string(full).find("test_win32_system"), std::string::npos);

    char small[8];
    std::memset(small, 'x', sizeof small);
    EXPECT_EQ(GetModuleFileNameA(nullptr, small, sizeof small), 7u);
    EXPECT_EQ(small[7], '\0');
    EXPECT_EQ(std::string(small), std::string(full, 7));
}

TEST(Win32System, VersionAndMemoryAreReportedFromTheKernel) {
    OSVERSIONINFOA info{};
    EXPECT_FALSE(GetVersionExA(&info));  // the size field must be filled in first
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(sizeof info, 148u);
    EXPECT_EQ(info.dwPlatformId, (DWORD)VER_PLATFORM_WIN32_NT);
    EXPECT_GE(info.dwMajorVersion, 3u);

    MEMORYSTATUS memory{};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    EXPECT_GT(memory.dwTotalPhys, (SIZE_T)64 << 20);
    EXPECT_GT(memory.dwAvailPhys, 0u);
    EXPECT_LE(memory.dwAvailPhys, memory.dwTotalPhys);
}

TEST(Win32System, NamedMutexIsRecursiveInOneProcessAndExclusiveAcrossProcesses) {
    TempDir dir;
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    HANDLE a = CreateMutexA(nullptr, FALSE, "test mutex");
    HANDLE b = CreateMutexA(nullptr, FALSE, "test mutex");  // the same mutex again
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0);  // the owner may wait again

    // Another process tries the lock file without waiting (util-linux flock).
    auto childWaits = [&] {
        auto r = RunProcess("/usr/bin/flock", {"-n", dir.File("test mutex.lock"), "true"});
        return r.exitCode == 0;
    };
    EXPECT_FALSE(childWaits());
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_FALSE(childWaits());  // still owned once
    EXPECT_TRUE(ReleaseMutex(b));
    EXPECT_FALSE(ReleaseMutex(a));  // not owned any more
    EXPECT_TRUE(childWaits());
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_TRUE(CloseHandle(b));
}

// Without a runtime directory the lock file sits in /tmp, which every user shares:
// it carries the user's id, and a link planted under its name is not followed.
TEST(Win32System, NamedMutexLockFilesAreTheUsersOwnAndNeverFollowLinks) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string name = "nol test mutex " + std::to_string(getpid());
    const std::string own = "/tmp/" + name + "." + std::to_string(geteuid()) + ".lock";
    const std::string shared = "/tmp/" + name + ".lock";
    HANDLE a = CreateMutexA(nullptr, FALSE, name.c_str());
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(WaitForSingleObject(a, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(FileExists(own));
    EXPECT_FALSE(FileExists(shared));
    EXPECT_TRUE(ReleaseMutex(a));
    EXPECT_TRUE(CloseHandle(a));
    unlink(own.c_str());

    TempDir dir;
    const std::string target = dir.File("victim");
    ASSERT_EQ(symlink(target.c_str(), own.c_str()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, name.c_str()), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find(own), std::string::npos);
    EXPECT_FALSE(FileExists(target));  // not created through the link
    unlink(own.c_str());

    // In the runtime directory too.
    setenv("XDG_RUNTIME_DIR", dir.path.c_str(), 1);
    ASSERT_EQ(symlink(target.c_str(), dir.File(name + ".lock").c_str()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, name.c_str()), nullptr);
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(FileExists(target));
}

TEST(Win32System, CodePageConversionSurvivesBadBytes) {
    // "ＭＳ ゴシック" in Shift-JIS, as the compiler writes the literal.
    const std::string gothic = "ＭＳ ゴシック";
    EXPECT_EQ(gothic, "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E");
    EXPECT_EQ(nol::base::Cp932ToUtf8(gothic), reinterpret_cast<const char*>(u8"ＭＳ ゴシック"));
    EXPECT_EQ(nol::base::Utf8ToCp932(reinterpret_cast<const char*>(u8"表示")), "表示");  // 0x5C as a second byte
    EXPECT_EQ(nol::base::Cp932ToUtf8("a\x82"), "a?");             // a cut double-byte character
    EXPECT_EQ(nol::base::Utf8ToCp932("b\xFF" "c"), "b?c");        // not UTF-8
}

}  // namespace
