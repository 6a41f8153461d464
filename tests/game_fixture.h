// The game on a real device with a small data folder of its own: flat slabs for
// roads and gates, a box for the car, a 16 x 16 height map. Keys come through a
// scripted DirectInput keyboard, so frames run as the program runs them.
#pragma once

#include <unistd.h>

#include <cmath>
#include <string>
#include <vector>

#include "datagen/model.h"
#include "game/game.h"
#include "input/input.h"
#include "input_fakes.h"
#include "render_fixture.h"
#include "image_files.h"
#include "support/test_support.h"

namespace gamedata {

// A slab whose top face lies at y = 0 over [-half, half] in x and z.
inline void WriteSlab(const std::string& path, float half, D3DCOLORVALUE colour) {
    datagen::Model m;
    datagen::Material material;
    material.diffuse = colour;
    const int mat = m.AddMaterial(material);
    m.AddBox(mat, {-half, -0.05f, -half}, {half, 0.0f, half});
    ASSERT_TRUE(m.Write(path, "slab"));
}

inline void WriteBox(const std::string& path, D3DXVECTOR3 lo, D3DXVECTOR3 hi, D3DCOLORVALUE colour) {
    datagen::Model m;
    datagen::Material material;
    material.diffuse = colour;
    const int mat = m.AddMaterial(material);
    m.AddBox(mat, lo, hi);
    ASSERT_TRUE(m.Write(path, "box"));
}

// Grid point (column, row) lies at x = (column - 8) * 20, z = (row - 8) * 20.
// Columns 12 and up (x >= 80) are wall; rows 12 and up (z >= 80) rough; the
// rest road.
inline int TestGreen(int column, int row) {
    if (column >= 12) return 255;
    if (row >= 12) return 200;
    return 0;
}

inline void WriteHeightMap(const std::string& path) {
    images::Bmp bmp(16, 16, 24);
    for (int row = 0; row < 16; ++row)
        for (int column = 0; column < 16; ++column)
            bmp.pixels.push_back(0xFF000000u | uint32_t(TestGreen(column, row)) << 8);
    ASSERT_TRUE(images::WriteBytes(path, images::EncodeBmp(bmp)));
}

inline void WriteTexture(const std::string& path) {
    images::Bmp bmp(8, 8, 24);
    for (int i = 0; i < 64; ++i) bmp.pixels.push_back(((i + i / 8) % 2) ? 0xFF606060u : 0xFF309030u);
    ASSERT_TRUE(images::WriteBytes(path, images::EncodeBmp(bmp)));
}

// Every file the game reads except the music. The model courses are slabs 600
// units square (course 2's at scale 150, course 3's road too; its ground 680); the
// gates are plates 60 units square.
inline void WriteAll(const std::string& dir) {
    const D3DCOLORVALUE grey{0.6f, 0.6f, 0.6f, 1}, green{0.2f, 0.7f, 0.2f, 1}, red{0.9f, 0.1f, 0.1f, 1},
        blue{0.2f, 0.3f, 0.9f, 1}, white{1, 1, 1, 1};
    WriteBox(dir + "/env.x", {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, grey);
    // The car lies below its origin, the camera's height.
    WriteBox(dir + "/car.x", {-0.25f, -0.48f, -0.375f}, {0.25f, -0.3f, 0.375f}, red);
    WriteSlab(dir + "/objstart.x", 1.0f, white);
    WriteSlab(dir + "/objcheck.x", 1.0f, blue);
    WriteSlab(dir + "/course1st@5.x", 2.0f, grey);
    WriteBox(dir + "/obj1st@3.x", {-0.1f, 0, -0.1f}, {0.1f, 0.1f, 0.1f}, green);
    WriteBox(dir + "/obj1st2@1.x", {-0.5f, 0, -0.5f}, {0.5f, 2, 0.5f}, green);
    WriteBox(dir + "/obj1st3@1.x", {-0.5f, 0, -0.5f}, {0.5f, 1, 0.5f}, blue);
    WriteSlab(dir + "/course2nd.x", 2.0f, grey);
    WriteSlab(dir + "/green2nd.x", 2.0f, green);
    WriteBox(dir + "/course2ndside.x", {2.0f, 0, -2.0f}, {2.1f, 1, 2.0f}, white);
    WriteBox(dir + "/opentitle.x", {-0.5f, -0.4f, -0.5f}, {0.5f, 0.4f, 0.5f}, red);
    WriteHeightMap(dir + "/hf_bump7.bmp");
    WriteTexture(dir + "/hf_tex72.bmp");
}

}  // namespace gamedata

// A device, a keyboard the test holds keys on, and the data folder "data" below
// the working directory.
class GameTest : public FrameworkDevice {
protected:
    void SetUp() override {
        FrameworkDevice::SetUp();
        if (!Ready()) return;
        InstallFake(&input);
        ASSERT_EQ(InitDirectInput(), 1);
        const std::string data = dir.File("data");
        ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
        gamedata::WriteAll(data);
        ASSERT_EQ(chdir(dir.path.c_str()), 0);
    }
    void TearDown() override {
        FreeInput();
        InstallFake(nullptr);
        FrameworkDevice::TearDown();
    }

    // The keys the next input read sees down.
    void Hold(std::initializer_list<int> keys) {
        std::fill(input.keyboard.state.begin(), input.keyboard.state.end(), 0);
        for (int key : keys) input.keyboard.state[key] = 0x80;
    }
    // One frame as the shell runs it: the input read, then the game's frame.
    void Frame(std::initializer_list<int> keys = {}) {
        Hold(keys);
        UpdateInput();
        GameFrame();
    }

    TempDir dir;
    FakeDirectInput input;
};
