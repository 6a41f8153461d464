// The graph's player: a GStreamer playbin with the program's video window and
// the default sound output as its sinks. Preroll is synchronous (a file either
// renders or says why not); playing runs on GStreamer's threads, which report the
// end of the file and errors to the graph's event queue.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "dshow/dshow.h"
#include "dshow/graph_events.h"

typedef struct _GstElement GstElement;
typedef struct _GstBus GstBus;
typedef struct _GstMessage GstMessage;

namespace nol::dshow {

class MediaPipeline {
public:
    explicit MediaPipeline(GraphEvents& events) : events_(events) {}
    ~MediaPipeline();
    MediaPipeline(const MediaPipeline&) = delete;
    MediaPipeline& operator=(const MediaPipeline&) = delete;

    // Stops and lets go of the playbin (the destructor does it too).
    void Close();

    // Makes the playbin; with videoWindow 0 the video is decoded nowhere. False
    // with the reason (the element that is missing and its package).
    bool Create(unsigned long videoWindow, std::string* reason);

    // Replaces whatever was loaded with the file and prerolls it: on success the
    // graph stands stopped at the file's start with every stream it can decode;
    // VFW_S_PARTIAL_RENDER when some stream has no decoder. On failure nothing
    // stays loaded and reason says why.
    HRESULT Open(const std::string& uri, std::string* reason);
    bool Loaded() const { return loaded_; }
    // Whether the loaded file has a video stream that is decoded.
    bool HasVideo() const { return hasVideo_; }

    HRESULT Run();
    HRESULT Pause();
    HRESULT Stop();
    // The state asked for last; VFW_S_STATE_INTERMEDIATE in *result while
    // GStreamer has not reached it after timeoutMs.
    OAFilterState State(DWORD timeoutMs, HRESULT* result);

    // The video window (new, or of a new size): the sink draws into it and scales
    // the coming frames to its size.
    void SetVideoWindow(unsigned long window);
    void Expose();

private:
    enum class Phase { Empty, Prerolling, Loaded };
    static int OnBusMessage(GstBus* bus, GstMessage* message, void* self);
    void OnMessage(GstMessage* message);
    HRESULT SetState(int state);

    GraphEvents& events_;
    GstElement* playbin_ = nullptr;
    GstElement* videoSink_ = nullptr;  // ximagesink, or null
    std::atomic<unsigned long> videoWindow_{0};
    bool loaded_ = false;
    bool hasVideo_ = false;
    OAFilterState state_ = State_Stopped;

    // Shared with GStreamer's threads.
    std::mutex mutex_;
    std::condition_variable changed_;
    Phase phase_ = Phase::Empty;
    bool prerolled_ = false;
    bool failed_ = false;
    HRESULT failure_ = S_OK;
    std::string error_;
    std::vector<std::string> missing_;  // plug-ins asked for and not found
    bool ended_ = false;                // this playing's end or error has been reported
};

}  // namespace nol::dshow
