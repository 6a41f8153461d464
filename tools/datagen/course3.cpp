// Course 3: a twistier lap through dry hills. The road is edged with a band of grass that
// slows the car, and the grass with tyre walls; the side model also carries the
// land beyond the walls, the hills and the sky.
#include <cmath>

#include "datagen/courses.h"
#include "datagen/generators.h"

namespace datagen {
namespace {

constexpr float kRoadScale = 150.0f;
constexpr float kGrassScale = 170.0f;
constexpr ModelScale kSideScale{150.0f, 15.0f};
// The grass model is drawn 1 unit lower than it is ray-tested (its node sits at
// y = -1 but the wheel rays are not moved by it). The grass one sees lies level
// with the road, 0.95 up in the model: the rays, which start at most 0.8 up,
// pass it by and find the layer beneath instead.
constexpr float kGrassNodeY = -1.0f;
constexpr float kGrassModelY = kRoadY - kGrassNodeY;
constexpr float kGrassDrawnY = kRoadY;
constexpr float kOutsideY = -4.0f;
// Beneath everything, the layers the rays find (see courses.h), in drawn height.
constexpr float kRoadPickY = -4.0f;
constexpr float kGrassPickDrawnY = -7.0f;

}  // namespace

Track Course3Track() {
    // The start (80, 300) heading 4.2 rad and the checkpoint (-25, -581) are on
    // the line.
    const std::vector<D3DXVECTOR2> points = {
        {80, 300},    {-120, 200}, {-330, 140}, {-460, -40}, {-420, -280}, {-280, -500}, {-25, -581}, {250, -630},
        {480, -480}, {470, -260}, {290, -110}, {330, 120},  {490, 300},   {420, 470},   {260, 450}};
    return Track(points, D3DXVECTOR2(std::sin(4.2f), std::cos(4.2f)), 8.0f);
}

bool WriteCourse3Road(const std::string& dir) {
    Model model;
    AddRoad(model, Course3Track(), {kRoadScale, kRoadScale}, kGrassDrawnY - 0.5f, kRoadPickY);
    return model.Write(dir + "/course2nd.x", "course2nd");
}

bool WriteCourse3Grass(const std::string& dir) {
    Model model;
    const int grass = model.AddMaterial(Flat(0.30f, 0.62f, 0.25f));
    const int mown = model.AddMaterial(Flat(0.38f, 0.70f, 0.30f));
    const Track track = Course3Track();
    const ModelScale scale{kGrassScale, kGrassScale};
    // Mowing stripes across the run-off, four segments wide, on both sides of
    // the road (not under it, where they would show through at a distance).
    auto stripes = [&](size_t i) { return (i / 4) % 2 ? grass : mown; };
    AddBand(model, track, scale, -kGrassEdge, -kRoadEdge, kGrassModelY, stripes);
    AddBand(model, track, scale, kRoadEdge, kGrassEdge, kGrassModelY, stripes);
    AddPickLayer(model, grass, track, scale, kGrassEdge, kGrassPickDrawnY - kGrassNodeY, 12.0f);
    return model.Write(dir + "/green2nd.x", "green2nd");
}

bool WriteCourse3Side(const std::string& dir) {
    Model model;
    const Track track = Course3Track();
    AddGroundPlane(model, kSideScale, kOutsideY, 1100.0f, 11, {0.66f, 0.58f, 0.38f, 1.0f});
    AddBarriers(model, track, kSideScale, kGrassEdge, kOutsideY, 1.5f);
    AddHorizon(model, kSideScale, {20.0f, -80.0f}, {620.0f, 700.0f}, kOutsideY, kDryHills);
    AddMound(model, kSideScale, {-100.0f, -250.0f}, 220.0f, 50.0f, kOutsideY, kDryHills);
    AddMound(model, kSideScale, {100.0f, 0.0f}, 130.0f, 30.0f, kOutsideY, kDryHills);
    AddMound(model, kSideScale, {-200.0f, 0.0f}, 95.0f, 25.0f, kOutsideY, kDryHills);
    const std::vector<D3DXVECTOR3> avoid = {{-100, -250, 230}, {100, 0, 140}, {-200, 0, 105}};
    AddForest(model, kSideScale, track, {20.0f, -80.0f}, {620.0f, 700.0f}, kOutsideY, 80.0f, avoid, 90, 3u);
    return model.Write(dir + "/course2ndside.x", "course2ndside");
}

}  // namespace datagen
