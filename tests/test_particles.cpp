// Particles on a recording device (their vertices, draws and world transform) and
// once on the real device, read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "d3d8_memory_fakes.h"
#include "render/frame.h"
#include "render/graphics_state.h"
#include "render_fixture.h"
#include "scene/particles.h"
#include "shell/frame_timer.h"

namespace {

// Every range closed onto one value, so that each particle is born the same.
ParticleParams Fixed(float lifetime, BYTE alpha, float alphaRate, float size, float sizeRate, float speed) {
    ParticleParams p{};
    p.lifetimeMin = p.lifetimeMax = lifetime;
    p.redMin = p.redMax = 10;
    p.greenMin = p.greenMax = 20;
    p.blueMin = p.blueMax = 30;
    p.alphaMin = p.alphaMax = alpha;
    p.alphaRateMin = p.alphaRateMax = alphaRate;
    p.sizeMin = p.sizeMax = size;
    p.sizeRateMin = p.sizeRateMax = sizeRate;
    p.speedMin = p.speedMax = speed;
    return p;
}

class Particles : public ::testing::Test {
protected:
    std::unique_ptr<MemoryDevice> ownedDevice = std::make_unique<MemoryDevice>();
    MemoryDevice* device = ownedDevice.get();
    CParticleSystem system;

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = device;
        D3DXMatrixIdentity(&GraphicsState.invViewMatrix);
        frameTimer.fps = 30.0f;
    }
    void TearDown() override {
        system.Destroy();
        GraphicsState.device = nullptr;
    }

    const ParticleVertex& LastVertex(size_t i) const {
        return device->LastVertexBuffer()->Vertex<ParticleVertex>(i);
    }
    size_t LastVertexCount() const { return device->LastVertexBuffer()->bytes.size() / sizeof(ParticleVertex); }
};

TEST_F(Particles, ALifetimeOfOneSecondAt30FpsIsDrawnIn30Frames) {
    system.Create(4, 0, 0, 0, Fixed(1.0f, 255, 0, 1, 0, 0));
    int frames = 0;
    while (system.Draw() == 0 && frames < 100) ++frames;
    EXPECT_EQ(frames, 30);
    ASSERT_EQ(device->draws.size(), 30u);
    for (const DrawCall& d : device->draws) {
        EXPECT_EQ(d.type, D3DPT_TRIANGLELIST);
        EXPECT_EQ(d.primitives, 8u);  // two triangles for each of the four
        EXPECT_EQ(d.stride, 24u);
        EXPECT_EQ(d.shader, 0x142u);
    }
    // At 15 fps each frame is twice as long: half as many frames.
    frameTimer.fps = 15.0f;
    system.Emit(Fixed(1.0f, 255, 0, 1, 0, 0));
    frames = 0;
    while (system.Draw() == 0 && frames < 100) ++frames;
    EXPECT_EQ(frames, 15);
}

TEST_F(Particles, FadingAndShrinkingStopAtZero) {
    // Alpha 255 at -255 per second, size 1 at -2 per second.
    system.Create(1, 0, 0, 0, Fixed(10.0f, 255, -255, 1, -2, 0));
    for (int frame = 0; frame < 45; ++frame) {
        ASSERT_EQ(system.Draw(), 0);
        const DWORD alpha = LastVertex(0).colour >> 24;
        const float halfSide = (LastVertex(2).x - LastVertex(0).x) / 2;
        SCOPED_TRACE(frame);
        if (frame == 0) {
            EXPECT_EQ(alpha, 255u);
            EXPECT_FLOAT_EQ(halfSide, 1.0f);
        }
        if (frame == 15) {
            EXPECT_NEAR(alpha, 127, 1);
        }
        if (frame >= 16) {
            EXPECT_EQ(halfSide, 0.0f);  // gone after half a second
        }
        if (frame < 30) {
            EXPECT_GT(alpha, 0u);
        } else {
            EXPECT_EQ(alpha, 0u);  // and transparent after one
        }
    }
    EXPECT_EQ(system.particles[0].alpha, 0.0f);
    EXPECT_EQ(system.particles[0].size, 0.0f);
    EXPECT_EQ(LastVertex(0).colour & 0xFFFFFF, 0x0A141Eu);  // the colour stays
}

TEST_F(Particles, AlphaAbove255KeepsOnlyItsLowByte) {
    // 250 rising by 300 per second: 260 after one frame, drawn with alpha 4.
    system.Create(1, 0, 0, 0, Fixed(10.0f, 250, 300, 1, 0, 0));
    system.Draw();
    EXPECT_EQ(LastVertex(0).colour >> 24, 250u);
    system.Draw();
    EXPECT_EQ(LastVertex(0).colour >> 24, 4u);
    // Out of the range of an int, the low byte is 0; so is not a number.
    system.particles[0].alpha = 1e12f;
    system.Draw();
    EXPECT_EQ(LastVertex(0).colour, 0x000A141Eu);
    system.particles[0].alpha = NAN;
    system.particles[0].alphaRate = 0;
    system.Draw();
    EXPECT_EQ(LastVertex(0).colour, 0x000A141Eu);
}

TEST_F(Particles, PositionIsTheClosedFormAtTheNewAgeWithoutAHalf) {
    // Under (0, -1, 0): one particle at rest, one moving along x at 2 per second.
    system.SetAcceleration(D3DXVECTOR3(0, -1, 0));
    system.Create(2, 0, 0, 0, Fixed(10.0f, 255, 0, 0.25f, 0, 0));
    system.particles[1].velocity = D3DXVECTOR3(2, 0, 0);
    for (int frame = 1; frame <= 45; ++frame) {
        system.Draw();
        const float t = system.particles[0].age;
        ASSERT_NEAR(t, frame / 30.0f, 1e-5f);
        EXPECT_EQ(system.particles[0].position, D3DXVECTOR3(0, -t * t, 0)) << frame;
        EXPECT_EQ(system.particles[1].position, D3DXVECTOR3(2 * t, -t * t, 0)) << frame;
    }
    // Drawn from the state before the step: the last squares are centred on the
    // positions after 44 frames.
    const float t44 = 44 / 30.0f;
    EXPECT_NEAR(LastVertex(6).x, 2 * t44 - 0.25f, 1e-4f);
    EXPECT_NEAR(LastVertex(6).y, -t44 * t44 - 0.25f, 1e-4f);
}

TEST_F(Particles, SixVerticesForEachLivingParticleOnly) {
    system.Create(3, 0, 0, 0, Fixed(10.0f, 200, 0, 0.5f, 0, 0));
    system.particles[0].position = D3DXVECTOR3(1, 2, 3);
    system.particles[0].velocity = D3DXVECTOR3(0, 0, 0);
    system.particles[1].age = system.particles[1].lifetime;  // dead
    system.particles[2].position = D3DXVECTOR3(-4, 0, 0);
    ASSERT_EQ(system.Draw(), 0);
    ASSERT_EQ(LastVertexCount(), 12u);
    EXPECT_EQ(device->draws.back().primitives, 4u);
    const float expected[6][5] = {{0.5f, 1.5f, 3, 0, 1}, {0.5f, 2.5f, 3, 0, 0}, {1.5f, 1.5f, 3, 1, 1},
                                  {1.5f, 2.5f, 3, 1, 0}, {1.5f, 1.5f, 3, 1, 1}, {0.5f, 2.5f, 3, 0, 0}};
    for (int i = 0; i < 6; ++i) {
        const ParticleVertex& v = LastVertex(i);
        EXPECT_EQ(v.x, expected[i][0]) << i;
        EXPECT_EQ(v.y, expected[i][1]) << i;
        EXPECT_EQ(v.z, expected[i][2]) << i;
        EXPECT_EQ(v.u, expected[i][3]) << i;
        EXPECT_EQ(v.v, expected[i][4]) << i;
        EXPECT_EQ(v.colour, 0xC80A141Eu) << i;
    }
    EXPECT_EQ(LastVertex(6).x, -4.5f);  // the third particle follows at once
    EXPECT_EQ(system.particles[1].age, system.particles[1].lifetime);  // the dead one was not aged
}

TEST_F(Particles, DefaultDirectionsFillACube) {
    std::srand(7);
    system.Create(4000, 0, 0, 0, Fixed(1.0f, 255, 0, 1, 0, 1));
    float longest = 0, lowest = 0, highest = 0;
    for (int i = 0; i < system.count; ++i) {
        const D3DXVECTOR3 v = system.particles[i].velocity;
        for (float c : {v.x, v.y, v.z}) {
            ASSERT_LE(std::fabs(c), 1.0f);
            lowest = std::min(lowest, c);
            highest = std::max(highest, c);
        }
        longest = std::max(longest, std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z));
    }
    EXPECT_GT(longest, 1.5f);  // not normalised: corners of the cube reach toward sqrt 3
    EXPECT_LT(lowest, -0.99f);
    EXPECT_GT(highest, 0.99f);
}

TEST_F(Particles, ABurstThatHasDiedDrawsNothingAndReturns1) {
    CParticleSystem empty;
    EXPECT_EQ(empty.Draw(), 0);  // without particles
    EXPECT_TRUE(device->draws.empty());

    system.Create(5, 0, 0, 0, Fixed(0.09f, 255, 0, 1, 0, 1));
    for (int i = 0; i < 3; ++i) EXPECT_EQ(system.Draw(), 0);
    const size_t buffers = device->vertexBuffers.size();
    device->transforms.clear();
    EXPECT_EQ(system.Draw(), 1);
    EXPECT_EQ(system.Draw(), 1);
    EXPECT_EQ(device->draws.size(), 3u);
    EXPECT_EQ(device->vertexBuffers.size(), buffers);
    EXPECT_TRUE(device->transforms.empty());

    // Emit revives them all; a second Emit leaves the living alone.
    system.Emit(Fixed(0.09f, 255, 0, 1, 0, 1));
    system.Draw();
    const float age = system.particles[0].age;
    system.Emit(Fixed(5.0f, 255, 0, 1, 0, 1));
    EXPECT_EQ(system.particles[0].age, age);
    EXPECT_EQ(system.particles[0].lifetime, 0.09f);
}

TEST_F(Particles, TheCloudFacesTheCameraAroundTheEmitter) {
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(5, 3, -7), at(0, 1, 2), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixInverse(&GraphicsState.invViewMatrix, nullptr, &view);
    system.Create(2, 3, 4, 5, Fixed(1.0f, 255, 0, 1, 0, 1));
    ASSERT_EQ(system.Draw(), 0);
    ASSERT_EQ(device->transforms.count(D3DTS_WORLD), 1u);
    const D3DMATRIX& w = device->transforms[D3DTS_WORLD];
    const D3DXMATRIX& inv = GraphicsState.invViewMatrix;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_EQ(w.m[r][c], inv.m[r][c]) << r << c;
    EXPECT_EQ(w._41, 3.0f);
    EXPECT_EQ(w._42, 4.0f);
    EXPECT_EQ(w._43, 5.0f);
    EXPECT_EQ(w._44, inv._44);

    // The buffer was made for this draw and let go: only the device still holds it.
    const MemoryVertexBuffer* b = device->LastVertexBuffer();
    EXPECT_EQ(b->desc.Size, 2u * 6 * 24);
    EXPECT_EQ(b->desc.FVF, 0x142u);
    EXPECT_EQ(b->refs, 1u);
    EXPECT_EQ(device->draws.back().stream, b);
}

// The birth order, re-derived here from rand itself: lifetime; red, green, blue;
// alpha; alpha rate, size, size rate; speed; then z, y and x of the direction.
TEST_F(Particles, BirthDrawsRandomNumbersInItsOrder) {
    ParticleParams q{};
    q.lifetimeMin = 0.5f, q.lifetimeMax = 2.5f;
    q.redMin = 10, q.redMax = 250;
    q.greenMin = 40, q.greenMax = 41;  // a range of one value
    q.blueMin = 0, q.blueMax = 100;
    q.alphaMin = 128, q.alphaMax = 255;
    q.alphaRateMin = -50, q.alphaRateMax = 10;
    q.sizeMin = 0.1f, q.sizeMax = 0.9f;
    q.sizeRateMin = 0, q.sizeRateMax = 3;
    q.speedMin = 1, q.speedMax = 4;
    system.SetRangeX(-1, 0);
    system.SetRangeY(2, 3);
    system.SetRangeZ(10, 20);

    std::srand(2024);
    system.Create(6, 0, 0, 0, q);

    std::srand(2024);
    // rand's low fifteen bits: the 0..32767 the formulas are written for.
    auto r = [] { return std::rand() & 0x7FFF; };
    auto real = [&](float a, float b) { return float(a + r() * (b - a) / 32767.0); };
    auto byte = [&](int a, int b) { return BYTE(a + r() % (b - a)); };
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const Particle& p = system.particles[i];
        EXPECT_EQ(p.lifetime, real(0.5f, 2.5f));
        EXPECT_EQ(p.age, 0.0f);
        EXPECT_EQ(p.red, byte(10, 250));
        EXPECT_EQ(p.green, byte(40, 41));
        EXPECT_EQ(p.blue, byte(0, 100));
        EXPECT_EQ(p.alpha, float(byte(128, 255)));
        EXPECT_EQ(p.alphaRate, real(-50, 10));
        EXPECT_EQ(p.size, real(0.1f, 0.9f));
        EXPECT_EQ(p.sizeRate, real(0, 3));
        const float speed = real(1, 4);
        const float z = real(10, 20), y = real(2, 3), x = real(-1, 0);
        EXPECT_EQ(p.velocity.x, x * speed);
        EXPECT_EQ(p.velocity.y, y * speed);
        EXPECT_EQ(p.velocity.z, z * speed);
        EXPECT_EQ(p.position, D3DXVECTOR3(0, 0, 0));
    }

    // Emit takes the dead ones only, in array order, from where rand stands.
    system.particles[1].age = 99;
    system.particles[4].age = 99;
    const Particle untouched = system.particles[2];
    std::srand(5);
    system.Emit(q);
    std::srand(5);
    for (int i : {1, 4}) {
        EXPECT_EQ(system.particles[i].lifetime, real(0.5f, 2.5f)) << i;
        EXPECT_EQ(system.particles[i].age, 0.0f);
        for (int k = 0; k < 11; ++k) r();  // the rest of this particle's draws
    }
    EXPECT_EQ(system.particles[2].lifetime, untouched.lifetime);
    EXPECT_EQ(system.particles[2].velocity, untouched.velocity);
}

TEST_F(Particles, ByteRangesWithEqualOrReversedEnds) {
    ParticleParams q = Fixed(1.0f, 255, 0, 1, 0, 1);
    q.redMin = q.redMax = 77;                  // equal ends: the minimum
    q.greenMin = 200, q.greenMax = 100;        // reversed: read as 100 up to 200
    q.blueMin = 0, q.blueMax = 255;
    std::srand(99);
    system.Create(500, 0, 0, 0, q);
    int greenLow = 255, greenHigh = 0;
    for (int i = 0; i < system.count; ++i) {
        const Particle& p = system.particles[i];
        ASSERT_EQ(p.red, 77);
        greenLow = std::min<int>(greenLow, p.green);
        greenHigh = std::max<int>(greenHigh, p.green);
    }
    EXPECT_GE(greenLow, 100);
    EXPECT_LT(greenHigh, 200);
    EXPECT_LT(greenLow, 110);
    EXPECT_GT(greenHigh, 190);

    // An equal-ended range still takes its random number, so the values after it
    // are the same as with any other range there.
    std::srand(99);
    std::rand(), std::rand();  // lifetime, red
    EXPECT_EQ(system.particles[0].green, 100 + (std::rand() & 0x7FFF) % 100);
    EXPECT_EQ(system.particles[0].blue, (std::rand() & 0x7FFF) % 255);
}

TEST_F(Particles, CountsThatCannotBeHeldAreRefused) {
    system.Create(3, 0, 0, 0, Fixed(1.0f, 255, 0, 1, 0, 1));
    for (int n : {0, -1, INT_MIN, CParticleSystem::kMaxCount + 1, INT_MAX}) {
        SCOPED_TRACE(n);
        testing::internal::CaptureStderr();
        system.Create(n, 0, 0, 0, Fixed(1.0f, 255, 0, 1, 0, 1));
        const std::string log = testing::internal::GetCapturedStderr();
        EXPECT_NE(log.find("particles refused"), std::string::npos) << log;
        EXPECT_EQ(system.count, 0);
        EXPECT_EQ(system.particles, nullptr);
        EXPECT_EQ(system.vertices, nullptr);
        system.Emit(Fixed(1.0f, 255, 0, 1, 0, 1));
        EXPECT_EQ(system.Draw(), 0);
    }
    EXPECT_TRUE(device->draws.empty());
    // The largest count fills exactly a buffer of 2^32 - 1 bytes or less.
    EXPECT_LE(uint64_t(CParticleSystem::kMaxCount) * 144, 0xFFFFFFFFull);
    EXPECT_GT(uint64_t(CParticleSystem::kMaxCount + 1) * 144, 0xFFFFFFFFull);
}

class ParticlesRender : public FrameworkDevice {};

TEST_F(ParticlesRender, APlainSquareShowsAroundTheEmitterFacingTheCamera) {
    // Seen from the side and above, so that the camera-facing frame is not the world's.
    const D3DXVECTOR3 eye(-12, 5, -6), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&GraphicsState.viewMatrix, &eye, &at, &up);
    ASSERT_EQ(BeginFrame(0xFF000000), 1);
    SetLighting(FALSE);
    GraphicsState.device->SetTexture(0, nullptr);

    ParticleParams q = Fixed(5.0f, 255, 0, 1.5f, 0, 0);
    q.redMin = q.redMax = 0xE0;
    q.greenMin = q.greenMax = 0x40;
    q.blueMin = q.blueMax = 0x20;
    CParticleSystem cloud;
    cloud.Create(1, 1, 2, 0, q);
    ASSERT_EQ(cloud.Draw(), 0);
    const std::vector<uint32_t> pixels = ReadBack("particles_square");
    EndFrame();

    // Where a point of the square (camera-aligned axes round the emitter) lands.
    D3DXMATRIX world = GraphicsState.invViewMatrix;
    world._41 = 1, world._42 = 2, world._43 = 0;
    auto screen = [&](float x, float y) {
        D3DXVECTOR3 local(x, y, 0), w, s;
        D3DXVec3TransformCoord(&w, &local, &world);
        D3DXVec3TransformCoord(&s, &w, &GraphicsState.vpsMatrix);
        return POINT{LONG(std::lround(s.x)), LONG(std::lround(s.y))};
    };
    const POINT centre = screen(0, 0);
    ASSERT_TRUE(centre.x > 0 && centre.x < 640 && centre.y > 0 && centre.y < 480);
    EXPECT_EQ(At(pixels, centre.x, centre.y), 0xFFE04020u);
    for (POINT inside : {screen(-1.3f, 1.3f), screen(1.3f, 1.3f), screen(-1.3f, -1.3f), screen(1.3f, -1.3f)})
        EXPECT_EQ(At(pixels, inside.x, inside.y), 0xFFE04020u) << inside.x << "," << inside.y;
    for (POINT outside : {screen(-1.8f, 0), screen(1.8f, 0), screen(0, 1.8f), screen(0, -1.8f)})
        EXPECT_EQ(At(pixels, outside.x, outside.y) & 0xFFFFFF, 0u) << outside.x << "," << outside.y;
}

}  // namespace
