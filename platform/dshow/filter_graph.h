// The filter graph: IGraphBuilder, with IMediaControl, IMediaEventEx and
// IVideoWindow as parts of the one object, over a GStreamer playbin.
#pragma once

#include <string>

#include "com/com_object.h"
#include "dshow/dshow.h"
#include "dshow/graph_events.h"
#include "dshow/media_pipeline.h"
#include "dshow/video_window.h"

namespace nol::dshow {

// CoCreateInstance's factory for CLSID_FilterGraph: starts GStreamer on the first
// graph of the program.
HRESULT CreateFilterGraph(REFIID iid, void** object);
// Why the calling thread's last RenderFile failed ("" when it did not).
const char* LastRenderError();

class FilterGraph final : public com::Object<IGraphBuilder, IID_IGraphBuilder, IID_IFilterGraph> {
public:
    FilterGraph();
    // The player and its video window; false with the reason.
    bool Start(std::string* reason);

    HRESULT RenderFile(LPCWSTR file, LPCWSTR playList) override;

private:
    class Control final : public com::Part<IMediaControl, FilterGraph> {
    public:
        using Part::Part;
        HRESULT Run() override;
        HRESULT Pause() override;
        HRESULT Stop() override;
        HRESULT GetState(LONG msTimeout, OAFilterState* state) override;
    };
    class Events final : public com::Part<IMediaEventEx, FilterGraph> {
    public:
        using Part::Part;
        HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) override;
        HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
        HRESULT SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;
    };
    class Video final : public com::Part<IVideoWindow, FilterGraph> {
    public:
        using Part::Part;
        HRESULT put_Owner(OAHWND owner) override;
        HRESULT put_WindowStyle(LONG style) override;
        HRESULT SetWindowPosition(LONG left, LONG top, LONG width, LONG height) override;
        HRESULT GetWindowPosition(LONG* left, LONG* top, LONG* width, LONG* height) override;
        HRESULT put_Visible(LONG visible) override;
        HRESULT get_Visible(LONG* visible) override;

    private:
        // The video window's calls mean nothing while no video plays in it.
        bool Usable() const;
    };

    ~FilterGraph() override;
    void* Other(REFIID iid) override;
    static void VideoWindowClosed(void* self);
    // Shows the video window while the graph runs or pauses on a file with video.
    void ShowVideo(bool show);

    // Destroyed in reverse: the pipeline (and its sink's use of the window) goes
    // before the window, the window before the queue its closing reports to.
    GraphEvents events_;
    VideoWindow video_;
    MediaPipeline pipeline_;
    LONG style_ = 0;
    Control control_{*this};
    Events eventsPart_{*this};
    Video videoPart_{*this};
};

}  // namespace nol::dshow
