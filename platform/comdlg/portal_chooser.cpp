#include "comdlg/portal_chooser.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "comdlg/chosen_path.h"

namespace nol::comdlg {
namespace {

constexpr char kBusName[] = "org.freedesktop.portal.Desktop";
constexpr char kObjectPath[] = "/org/freedesktop/portal/desktop";
constexpr char kFileChooser[] = "org.freedesktop.portal.FileChooser";
constexpr char kRequest[] = "org.freedesktop.portal.Request";
constexpr int kTurnMs = 10;
constexpr int kQuestionMs = 2000;  // questions to the bus itself, and Close
// The reply to OpenFile or SaveFile (the request's handle, not the user's answer);
// it may take the starting of the portal first.
constexpr int kCallMs = 60000;

// The session bus the desktop announces, never one started for the program:
// GLib would start one with dbus-launch on X11, and that one outlives it.
std::string SessionBusAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return "";
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st;
    if (stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return "";
    gchar* escaped = g_dbus_address_escape_value(socket.c_str());
    std::string result = std::string("unix:path=") + escaped;
    g_free(escaped);
    return result;
}

GVariant* FilterVariant(const FileFilter& filter) {
    GVariantBuilder patterns;
    g_variant_builder_init(&patterns, G_VARIANT_TYPE("a(us)"));
    for (const std::string& p : filter.patterns) g_variant_builder_add(&patterns, "(us)", 0u, p.c_str());  // 0: a glob
    return g_variant_new("(sa(us))", filter.name.c_str(), &patterns);
}

GVariant* Options(const FileRequest& request, const std::string& token) {
    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "modal", g_variant_new_boolean(TRUE));
    if (!request.filters.empty()) {
        GVariantBuilder filters;
        g_variant_builder_init(&filters, G_VARIANT_TYPE("a(sa(us))"));
        for (const FileFilter& f : request.filters) g_variant_builder_add_value(&filters, FilterVariant(f));
        g_variant_builder_add(&options, "{sv}", "filters", g_variant_builder_end(&filters));
        const size_t current = request.currentFilter < request.filters.size() ? request.currentFilter : 0;
        g_variant_builder_add(&options, "{sv}", "current_filter", FilterVariant(request.filters[current]));
    }
    if (request.save && !request.name.empty())
        g_variant_builder_add(&options, "{sv}", "current_name", g_variant_new_string(request.name.c_str()));
    if (!request.folder.empty())
        g_variant_builder_add(&options, "{sv}", "current_folder", g_variant_new_bytestring(request.folder.c_str()));
    return g_variant_builder_end(&options);
}

// One OpenFile or SaveFile on a connection of its own, whose replies and signals
// come to a main context of its own, turned by the owner's wait.
class PortalRequest {
public:
    PortalRequest() : context_(g_main_context_new()), cancellable_(g_cancellable_new()) {
        g_main_context_push_thread_default(context_);
    }

    ~PortalRequest() {
        g_cancellable_cancel(cancellable_);
        // A call under way still answers (cancelled) into this context: let it,
        // before the state it writes to goes.
        for (int i = 0; callPending_ && i < 500; ++i) {
            while (g_main_context_iteration(context_, FALSE)) {}
            if (callPending_) g_usleep(2000);
        }
        if (subscription_) g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        if (bus_) {
            g_dbus_connection_close_sync(bus_, nullptr, nullptr);
            g_object_unref(bus_);
        }
        while (g_main_context_iteration(context_, FALSE)) {}
        if (results_) g_variant_unref(results_);
        g_object_unref(cancellable_);
        g_main_context_pop_thread_default(context_);
        g_main_context_unref(context_);
    }

    PortalRequest(const PortalRequest&) = delete;
    PortalRequest& operator=(const PortalRequest&) = delete;

    ChooserAnswer Run(const FileRequest& request, ModalWait& wait) {
        ChooserAnswer answer;
        if (!Connect(&answer.reason) || !PortalPresent(&answer.reason)) return answer;
        static unsigned counter = 0;
        const std::string token = "nol" + std::to_string(getpid()) + "_" + std::to_string(++counter);
        // Subscribed before the call, so that an answer coming at once is not missed.
        Subscribe(RequestPath(token));
        char parent[32] = "";
        if (request.ownerWindow) std::snprintf(parent, sizeof parent, "x11:%" PRIx64, request.ownerWindow);
        const std::string title = !request.title.empty() ? request.title : request.save ? "Save As" : "Open";
        callPending_ = true;
        g_dbus_connection_call(bus_, kBusName, kObjectPath, kFileChooser, request.save ? "SaveFile" : "OpenFile",
                               g_variant_new("(ss@a{sv})", parent, title.c_str(), Options(request, token)),
                               G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, kCallMs, cancellable_, OnReply, this);
        while (!responded_) {
            if (!callPending_ && handle_.empty()) {
                answer.reason = "the portal refused the call: " + callError_;
                return answer;
            }
            // A portal older than handle_token has a request path of its own choosing.
            if (!handle_.empty() && handle_ != subscribedPath_) Subscribe(handle_);
            if (!wait.Turn(-1, kTurnMs)) {
                Close();
                answer.status = ChooserStatus::Abandoned;
                return answer;
            }
            while (g_main_context_iteration(context_, FALSE)) {}
        }
        return Answer(request);
    }

private:
    bool Connect(std::string* why) {
        const std::string address = SessionBusAddress();
        if (address.empty()) {
            *why = "no session bus";
            return false;
        }
        GError* error = nullptr;
        bus_ = g_dbus_connection_new_for_address_sync(
            address.c_str(),
            GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                 G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, cancellable_, &error);
        if (!bus_) {
            *why = std::string("no session bus: ") + error->message;
            g_error_free(error);
            return false;
        }
        return true;
    }

    // Running, or startable by the bus.
    bool PortalPresent(std::string* why) {
        bool present = false;
        if (GVariant* r = Ask("NameHasOwner", g_variant_new("(s)", kBusName), "(b)")) {
            g_variant_get(r, "(b)", &present);
            g_variant_unref(r);
        }
        if (!present) {
            if (GVariant* r = Ask("ListActivatableNames", nullptr, "(as)")) {
                const gchar** names = nullptr;
                g_variant_get(r, "(^a&s)", &names);
                for (size_t i = 0; names && names[i] && !present; ++i) present = g_str_equal(names[i], kBusName);
                g_free(names);
                g_variant_unref(r);
            }
        }
        if (!present) *why = "no desktop portal on the session bus";
        return present;
    }

    GVariant* Ask(const char* method, GVariant* args, const char* replyType) {
        return g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                           "org.freedesktop.DBus", method, args, G_VARIANT_TYPE(replyType),
                                           G_DBUS_CALL_FLAGS_NONE, kQuestionMs, nullptr, nullptr);
    }

    // The path the portal gives a request: its sender's unique name without the
    // colon and with '_' for '.', then the token.
    std::string RequestPath(const std::string& token) const {
        std::string sender = g_dbus_connection_get_unique_name(bus_);
        if (!sender.empty() && sender[0] == ':') sender.erase(0, 1);
        for (char& c : sender)
            if (c == '.') c = '_';
        return std::string(kObjectPath) + "/request/" + sender + "/" + token;
    }

    void Subscribe(const std::string& path) {
        if (subscription_) g_dbus_connection_signal_unsubscribe(bus_, subscription_);
        subscribedPath_ = path;
        subscription_ = g_dbus_connection_signal_subscribe(bus_, kBusName, kRequest, "Response", path.c_str(), nullptr,
                                                           G_DBUS_SIGNAL_FLAGS_NONE, OnResponse, this, nullptr);
    }

    static void OnReply(GObject* source, GAsyncResult* result, gpointer data) {
        auto* self = static_cast<PortalRequest*>(data);
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        self->callPending_ = false;
        if (reply) {
            const gchar* handle = nullptr;
            g_variant_get(reply, "(&o)", &handle);
            self->handle_ = handle;
            g_variant_unref(reply);
        } else {
            self->callError_ = error->message;
            g_error_free(error);
        }
    }

    static void OnResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                           GVariant* parameters, gpointer data) {
        auto* self = static_cast<PortalRequest*>(data);
        if (self->responded_ || !g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})"))) return;
        g_variant_get(parameters, "(u@a{sv})", &self->response_, &self->results_);
        self->responded_ = true;
    }

    // The chooser goes with the request.
    void Close() {
        const std::string path = !handle_.empty() ? handle_ : subscribedPath_;
        GVariant* r = g_dbus_connection_call_sync(bus_, kBusName, path.c_str(), kRequest, "Close", nullptr, nullptr,
                                                  G_DBUS_CALL_FLAGS_NONE, kQuestionMs, nullptr, nullptr);
        if (r) g_variant_unref(r);
    }

    ChooserAnswer Answer(const FileRequest& request) const {
        ChooserAnswer answer;
        if (response_ == 1) {
            answer.status = ChooserStatus::Cancelled;
            return answer;
        }
        if (response_ != 0) {
            answer.reason = "the portal ended the request (response " + std::to_string(response_) + ")";
            return answer;
        }
        const gchar** uris = nullptr;
        if (!g_variant_lookup(results_, "uris", "^a&s", &uris) || !uris || !uris[0]) {
            g_free(uris);
            answer.status = ChooserStatus::Cancelled;
            return answer;
        }
        const std::string uri = uris[0];
        g_free(uris);
        if (!LocalPathFromUri(uri, &answer.path)) {
            answer.status = ChooserStatus::Refused;
            answer.reason = "not a local file: " + uri;
            return answer;
        }
        answer.status = ChooserStatus::Chosen;
        // The portal's chooser asks itself before it returns an existing file.
        answer.overwriteConfirmed = request.save;
        const gchar* filterName = nullptr;
        if (g_variant_lookup(results_, "current_filter", "(&s@a(us))", &filterName, nullptr))
            for (size_t i = 0; i < request.filters.size(); ++i)
                if (request.filters[i].name == filterName) answer.filter = int(i);
        return answer;
    }

    GMainContext* context_;
    GCancellable* cancellable_;
    GDBusConnection* bus_ = nullptr;
    guint subscription_ = 0;
    std::string subscribedPath_;
    bool callPending_ = false;
    std::string handle_;
    std::string callError_;
    bool responded_ = false;
    guint32 response_ = 2;
    GVariant* results_ = nullptr;
};

}  // namespace

ChooserAnswer ChooseWithPortal(const FileRequest& request, ModalWait& wait) {
    PortalRequest call;
    return call.Run(request, wait);
}

}  // namespace nol::comdlg
