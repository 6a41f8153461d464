#include "dshow/audio_output.h"

#include <gst/gst.h>

#include <mutex>

namespace nol::dshow {
namespace {

std::mutex captureMutex;
std::string capturePath;

}  // namespace

void CaptureAudioTo(const char* path) {
    std::lock_guard<std::mutex> lock(captureMutex);
    capturePath = path ? path : "";
}

GstElement* MakeAudioSink(std::string* reason) {
    std::string path;
    {
        std::lock_guard<std::mutex> lock(captureMutex);
        path = capturePath;
    }
    if (path.empty()) {
        GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
        if (!sink) *reason = "the GStreamer element autoaudiosink is missing (gstreamer1.0-plugins-good)";
        return sink;
    }
    // The file takes the sound at the pace it would be heard (sync), so that the
    // end of the stream comes when it would with a real output.
    GError* error = nullptr;
    GstElement* bin = gst_parse_bin_from_description(
        "audioconvert ! audioresample ! audio/x-raw,format=S16LE,rate=44100,channels=2 ! wavenc ! "
        "filesink name=file sync=true",
        TRUE, &error);
    if (!bin) {
        *reason = std::string("no WAV capture: ") + (error ? error->message : "unknown");
        if (error) g_error_free(error);
        return nullptr;
    }
    if (error) g_error_free(error);  // a warning only
    GstElement* file = gst_bin_get_by_name(GST_BIN(bin), "file");
    g_object_set(file, "location", path.c_str(), nullptr);
    gst_object_unref(file);
    return bin;
}

}  // namespace nol::dshow
