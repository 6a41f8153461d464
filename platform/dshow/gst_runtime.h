// GStreamer itself: started on the first graph, so that a program that plays no
// media (the game) never pays for it, and its worker threads let go when the last
// graph is gone.
#pragma once

#include <initializer_list>

namespace nol::dshow {

// Starts GStreamer once; false (with GStreamer's reason in the log) when it cannot.
bool StartGStreamer();

// The first of the named elements that no installed plug-in provides, or null.
const char* FirstMissingElement(std::initializer_list<const char*> names);

// The Debian package that provides an element the graph needs.
const char* PackageOfElement(const char* name);

// GStreamer keeps the threads of stopped pipelines for later pipelines (in GLib's
// shared pool of idle threads): while graphs exist, a few are kept; with none
// left, they end, and so do those still finishing, so that nothing of the media
// framework outlives FreeDirectShow.
void KeepGStreamerThreads();
void ReleaseGStreamerThreads();

// For tests (through dshow_test_hooks.h): whether GStreamer has started, and
// hiding an installed element from the graphs' choice as if it were not there.
bool GStreamerStarted();
bool HideElement(const char* name, bool hidden);

}  // namespace nol::dshow
