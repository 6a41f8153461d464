#include "dshow/gst_runtime.h"

#include <gst/gst.h>

#include <cstring>

#include "base/platform_log.h"

namespace nol::dshow {

bool StartGStreamer() {
    static bool started = false;
    if (started) return true;
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        NolLog("DirectShow: GStreamer did not start: %s\n", error ? error->message : "no reason given");
        if (error) g_error_free(error);
        return false;
    }
    started = true;
    return true;
}

const char* FirstMissingElement(std::initializer_list<const char*> names) {
    for (const char* name : names) {
        GstElementFactory* factory = gst_element_factory_find(name);
        if (!factory) return name;
        gst_object_unref(factory);
    }
    return nullptr;
}

const char* PackageOfElement(const char* name) {
    static const struct {
        const char* element;
        const char* package;
    } kPackages[] = {
        {"playbin", "gstreamer1.0-plugins-base"},     {"videoconvert", "gstreamer1.0-plugins-base"},
        {"videoscale", "gstreamer1.0-plugins-base"},  {"audioconvert", "gstreamer1.0-plugins-base"},
        {"audioresample", "gstreamer1.0-plugins-base"}, {"autoaudiosink", "gstreamer1.0-plugins-good"},
        {"wavenc", "gstreamer1.0-plugins-good"},      {"ximagesink", "gstreamer1.0-x"},
    };
    for (const auto& p : kPackages)
        if (std::strcmp(p.element, name) == 0) return p.package;
    return "libgstreamer1.0-0";
}

namespace {
// GLib's own default.
constexpr gint kIdleThreadsKept = 2;
}  // namespace

void KeepGStreamerThreads() { g_thread_pool_set_max_unused_threads(kIdleThreadsKept); }

void ReleaseGStreamerThreads() {
    // Stopped pipelines hand their streaming threads back to GStreamer's task
    // pool, which gives them to GLib's pool of idle threads. A thread may still be
    // on its way there: with no idle thread to be kept, it ends when it arrives.
    gst_task_cleanup_all();
    g_thread_pool_set_max_unused_threads(0);
}

}  // namespace nol::dshow
