// The reset hooks against a recording device: every live hook lets go before the
// device is reset and makes its resources again only when the reset worked; a hook
// that no longer exists is never called.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "d3d8_fakes.h"
#include "render/device_reset.h"
#include "render/graphics_state.h"

namespace {

class DeviceReset : public ::testing::Test {
protected:
    FakeDevice device;
    std::vector<std::string> calls;

    // Each call is recorded with the number of resets the device has seen by then.
    struct Hook : DeviceResetHook {
        DeviceReset& test;
        std::string name;
        Hook(DeviceReset& t, std::string n) : test(t), name(std::move(n)) {}
        void ReleaseForReset() override { test.Record(name + " released"); }
        void RestoreAfterReset() override { test.Record(name + " restored"); }
    };

    void Record(const std::string& what) { calls.push_back(what + " after " + std::to_string(device.resets)); }

    std::vector<std::string> SortedCalls() {
        std::sort(calls.begin(), calls.end());
        return calls;
    }

    void SetUp() override {
        GraphicsState = GraphicsStateRecord{};
        GraphicsState.device = &device;
        GraphicsState.presentParams.BackBufferFormat = D3DFMT_X8R8G8B8;
    }
    void TearDown() override { GraphicsState.device = nullptr; }
};

TEST_F(DeviceReset, EveryLiveHookLetsGoBeforeTheResetAndComesBackAfterIt) {
    Hook a(*this, "a");
    auto gone = std::make_unique<Hook>(*this, "gone");
    Hook b(*this, "b");
    gone.reset();  // from between the other two
    EXPECT_EQ(ResetDevice(), D3D_OK);
    EXPECT_EQ(device.resetParams.BackBufferFormat, D3DFMT_X8R8G8B8);  // the kept parameters
    EXPECT_EQ(SortedCalls(), (std::vector<std::string>{"a released after 0", "a restored after 1",
                                                       "b released after 0", "b restored after 1"}));
}

TEST_F(DeviceReset, AFailedResetLeavesTheHooksReleased) {
    Hook a(*this, "a");
    device.resetResult = D3DERR_DEVICELOST;
    EXPECT_EQ(ResetDevice(), D3DERR_DEVICELOST);
    EXPECT_EQ(calls, (std::vector<std::string>{"a released after 0"}));

    GraphicsState.device = nullptr;
    calls.clear();
    EXPECT_EQ(ResetDevice(), D3DERR_INVALIDCALL);
    EXPECT_TRUE(calls.empty());
}

}  // namespace
