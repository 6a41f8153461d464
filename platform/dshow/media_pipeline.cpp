#include "dshow/media_pipeline.h"

#include <gst/gst.h>
#include <gst/pbutils/missing-plugins.h>
#include <gst/video/videooverlay.h>

#include <condition_variable>


#include "dshow/audio_output.h"
#include "dshow/gst_runtime.h"

namespace nol::dshow {
namespace {

// Long enough for any file on a local disk to show its first frame; a file that
// has not by then is refused rather than left hanging.
constexpr auto kPrerollLimit = std::chrono::seconds(10);
// Plug-ins a file may ask for: enough to name them all in a log line.
constexpr size_t kMaxMissing = 4;

// playbin's "flags": video, audio and software volume; no subtitles.
constexpr guint kPlayVideo = 0x1, kPlayAudio = 0x2, kPlaySoftVolume = 0x10;

// What a preroll error means as a DirectShow result.
HRESULT ResultOf(const GError* error) {
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND: return VFW_E_UNKNOWN_FILE_TYPE;
            case GST_STREAM_ERROR_CODEC_NOT_FOUND: return VFW_E_UNSUPPORTED_STREAM;
            default: return VFW_E_INVALID_FILE_FORMAT;
        }
    }
    if (error->domain == GST_RESOURCE_ERROR &&
        (error->code == GST_RESOURCE_ERROR_NOT_FOUND || error->code == GST_RESOURCE_ERROR_OPEN_READ))
        return VFW_E_NOT_FOUND;
    return E_FAIL;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

}  // namespace

MediaPipeline::~MediaPipeline() { Close(); }

void MediaPipeline::Close() {
    if (!playbin_) return;
    // Joins every streaming thread, so nothing calls OnBusMessage after this.
    gst_element_set_state(playbin_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    if (videoSink_) gst_object_unref(videoSink_);
    gst_object_unref(playbin_);
    videoSink_ = playbin_ = nullptr;
    loaded_ = hasVideo_ = false;
}

bool MediaPipeline::Create(unsigned long videoWindow, std::string* reason) {
    if (const char* missing = FirstMissingElement({"playbin", "videoconvert", "videoscale", "audioconvert",
                                                    "audioresample", "autoaudiosink"})) {
        *reason = std::string("the GStreamer element ") + missing + " is missing (" + PackageOfElement(missing) + ")";
        return false;
    }
    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_) {
        *reason = "playbin could not be made";
        return false;
    }
    gst_object_ref_sink(playbin_);
    GstElement* audioSink = MakeAudioSink(reason);
    if (!audioSink) return false;
    guint flags = kPlayAudio | kPlaySoftVolume;
    if (videoWindow) {
        videoSink_ = gst_element_factory_make("ximagesink", nullptr);
        if (videoSink_) {
            gst_object_ref_sink(videoSink_);
            // The sink must not take the window's keyboard and mouse events: they
            // belong to the owner. Square pixels: the picture keeps the media's shape.
            g_object_set(videoSink_, "handle-events", FALSE, "pixel-aspect-ratio", "1/1", nullptr);
            g_object_set(playbin_, "video-sink", videoSink_, nullptr);
            flags |= kPlayVideo;
            videoWindow_ = videoWindow;
        } else {
            *reason = "the GStreamer element ximagesink is missing (gstreamer1.0-x): video is not shown";
        }
    }
    g_object_set(playbin_, "audio-sink", audioSink, "flags", flags, nullptr);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, (GstBusSyncHandler)OnBusMessage, this, nullptr);
    gst_object_unref(bus);
    return true;
}

HRESULT MediaPipeline::Open(const std::string& uri, std::string* reason) {
    if (!playbin_) {
        *reason = "the player has been closed";
        return E_FAIL;
    }
    Stop();
    loaded_ = false;
    hasVideo_ = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        phase_ = Phase::Prerolling;
        prerolled_ = failed_ = false;
        failure_ = S_OK;
        error_.clear();
        missing_.clear();
    }
    g_object_set(playbin_, "uri", uri.c_str(), nullptr);
    if (videoSink_ && videoWindow_) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(videoSink_), videoWindow_);
    const GstStateChangeReturn change = gst_element_set_state(playbin_, GST_STATE_PAUSED);

    std::unique_lock<std::mutex> lock(mutex_);
    bool done = change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
    if (change == GST_STATE_CHANGE_FAILURE && !failed_) {
        failed_ = true;
        error_ = "GStreamer refused to start the file";
    }
    if (!done && !failed_) changed_.wait_for(lock, kPrerollLimit, [this] { return prerolled_ || failed_; });
    HRESULT result = S_OK;
    if (failed_) {
        result = failure_ == S_OK ? E_FAIL : failure_;
        *reason = missing_.empty() ? error_ : "a GStreamer plug-in is missing: " + Joined(missing_);
    } else if (!done && !prerolled_) {
        result = VFW_E_TIMEOUT;
        *reason = "the file did not start within 10 seconds";
    }
    if (FAILED(result)) {
        phase_ = Phase::Empty;
        lock.unlock();
        gst_element_set_state(playbin_, GST_STATE_NULL);
        return result;
    }
    phase_ = Phase::Loaded;
    const std::vector<std::string> missing = missing_;
    lock.unlock();

    gint videoStreams = 0, audioStreams = 0;
    g_object_get(playbin_, "n-video", &videoStreams, "n-audio", &audioStreams, nullptr);
    if (videoStreams == 0 && audioStreams == 0) {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        *reason = "the file has no sound or picture";
        return VFW_E_CANNOT_RENDER;
    }
    // A video stream counts when its frames reach the sink (not when it has no
    // decoder, or no window to go to).
    if (videoSink_) {
        GstPad* pad = gst_element_get_static_pad(videoSink_, "sink");
        GstCaps* caps = pad ? gst_pad_get_current_caps(pad) : nullptr;
        hasVideo_ = caps != nullptr;
        if (caps) gst_caps_unref(caps);
        if (pad) gst_object_unref(pad);
    }
    loaded_ = true;
    state_ = State_Stopped;
    if (!missing.empty()) {
        *reason = "a GStreamer plug-in is missing: " + Joined(missing);
        return VFW_S_PARTIAL_RENDER;
    }
    return S_OK;
}

HRESULT MediaPipeline::SetState(int state) {
    const GstStateChangeReturn change = gst_element_set_state(playbin_, (GstState)state);
    if (change == GST_STATE_CHANGE_FAILURE) return E_FAIL;
    return change == GST_STATE_CHANGE_ASYNC ? S_FALSE : S_OK;
}

HRESULT MediaPipeline::Run() {
    if (!loaded_) return S_OK;  // an empty graph runs, doing nothing
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (state_ == State_Stopped) ended_ = false;
    }
    state_ = State_Running;
    return SetState(GST_STATE_PLAYING);
}

HRESULT MediaPipeline::Pause() {
    if (!loaded_) return S_OK;
    state_ = State_Paused;
    return SetState(GST_STATE_PAUSED);
}

// Stopped is GStreamer's NULL state: back at the start, the streaming threads
// ended and the sound output closed until the next Run.
HRESULT MediaPipeline::Stop() {
    state_ = State_Stopped;
    if (!playbin_) return S_OK;
    return SetState(GST_STATE_NULL);
}

OAFilterState MediaPipeline::State(DWORD timeoutMs, HRESULT* result) {
    *result = S_OK;
    if (loaded_ && state_ != State_Stopped) {
        GstState now = GST_STATE_NULL;
        const GstClockTime wait = timeoutMs == INFINITE ? GST_CLOCK_TIME_NONE : timeoutMs * GST_MSECOND;
        if (gst_element_get_state(playbin_, &now, nullptr, wait) == GST_STATE_CHANGE_ASYNC)
            *result = VFW_S_STATE_INTERMEDIATE;
    }
    return state_;
}

void MediaPipeline::SetVideoWindow(unsigned long window) {
    videoWindow_ = window;
    if (videoSink_) gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(videoSink_), window);
}

void MediaPipeline::Expose() {
    if (videoSink_ && loaded_ && state_ != State_Stopped) gst_video_overlay_expose(GST_VIDEO_OVERLAY(videoSink_));
}

int MediaPipeline::OnBusMessage(GstBus*, GstMessage* message, void* self) {
    static_cast<MediaPipeline*>(self)->OnMessage(message);
    // Nobody reads the bus: everything is handled here, on the thread that posts.
    return GST_BUS_DROP;
}

void MediaPipeline::OnMessage(GstMessage* message) {
    if (gst_is_video_overlay_prepare_window_handle_message(message)) {
        if (const unsigned long window = videoWindow_)
            gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)), window);
        return;
    }
    if (gst_is_missing_plugin_message(message)) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        std::lock_guard<std::mutex> lock(mutex_);
        if (description && missing_.size() < kMaxMissing) missing_.emplace_back(description);
        g_free(description);
        return;
    }
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ASYNC_DONE:
            if (GST_MESSAGE_SRC(message) == GST_OBJECT(playbin_)) {
                std::lock_guard<std::mutex> lock(mutex_);
                prerolled_ = true;
                changed_.notify_all();
            }
            break;
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            std::lock_guard<std::mutex> lock(mutex_);
            if (phase_ == Phase::Prerolling && !failed_) {
                failed_ = true;
                failure_ = ResultOf(error);
                error_ = failure_ == VFW_E_UNKNOWN_FILE_TYPE ? std::string("not a media file: ") + error->message
                                                             : std::string(error->message);
                changed_.notify_all();
            } else if (phase_ == Phase::Loaded && !ended_) {
                // Playback stops here; the first error says why, the rest follow from it.
                ended_ = true;
                events_.Push(GraphEvent{EC_ERRORABORT, (LONG_PTR)ResultOf(error), 0, error->message});
            }
            g_error_free(error);
            break;
        }
        case GST_MESSAGE_EOS: {
            std::lock_guard<std::mutex> lock(mutex_);
            if (phase_ == Phase::Loaded && !ended_) {
                ended_ = true;
                events_.Push(GraphEvent{EC_COMPLETE, (LONG_PTR)S_OK, 0, {}});
            }
            break;
        }
        default: break;
    }
}

}  // namespace nol::dshow
