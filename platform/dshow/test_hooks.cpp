#include <gst/gst.h>

#include <map>
#include <string>

#include "dshow/gst_runtime.h"

namespace nol::dshow {

bool GStreamerStarted() { return gst_is_initialized(); }

bool HideElement(const char* name, bool hidden) {
    static std::map<std::string, guint> shownRank;
    if (!gst_is_initialized()) return false;
    GstElementFactory* factory = gst_element_factory_find(name);
    if (!factory) return false;
    GstPluginFeature* feature = GST_PLUGIN_FEATURE(factory);
    // Below GST_RANK_MARGINAL no element is ever chosen automatically.
    if (hidden) {
        shownRank.emplace(name, gst_plugin_feature_get_rank(feature));
        gst_plugin_feature_set_rank(feature, GST_RANK_NONE);
    } else if (auto it = shownRank.find(name); it != shownRank.end()) {
        gst_plugin_feature_set_rank(feature, it->second);
        shownRank.erase(it);
    }
    gst_object_unref(factory);
    return true;
}

}  // namespace nol::dshow
