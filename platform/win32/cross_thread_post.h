// Posting from other threads. The message queue belongs to the program's main
// thread, as on the original platform each queue belongs to the thread that made
// its windows; PostMessageA from any other thread (a media framework's streaming
// thread, say) is allowed there, so here such a post waits beside the queue until
// the main thread takes it, and wakes that thread if it waits for messages.
#pragma once

#include <vector>

#include "win32/windows.h"

namespace nol::win32 {

// Whether the caller is the thread that reads the message queue.
bool OnQueueThread();

// Keeps the message for the queue's thread; safe from any thread.
void PostFromOtherThread(const MSG& msg);

// What other threads have posted since the last call, oldest first. Called by the
// queue's thread only.
std::vector<MSG> TakeOtherThreadPosts();

}  // namespace nol::win32
