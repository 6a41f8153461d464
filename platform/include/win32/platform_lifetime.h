// Keeps the platform layer's registries (windows and their classes, the message
// queue, named mutexes) alive for as long as any static object of the program may
// use them: the program's shutdown runs from the destructor of a static object.
//
// Every file that includes the Win32 interface gets one NolPlatformLifetime of its
// own, constructed before any static object the file defines after the include and
// so destroyed after it. The registries are built on first use and torn down when
// the last of these objects goes, after every static object that could reach them.
// (The scheme of the standard library's ios_base::Init.)
#pragma once

struct NolPlatformLifetime {
    NolPlatformLifetime();
    ~NolPlatformLifetime();
    NolPlatformLifetime(const NolPlatformLifetime&) = delete;
    NolPlatformLifetime& operator=(const NolPlatformLifetime&) = delete;
};

static NolPlatformLifetime nolPlatformLifetime;
