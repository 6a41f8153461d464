// The platform's COM base: QueryInterface's rules, the reference count, the parts
// that answer for an object, and handing an object out of a factory.
#include <gtest/gtest.h>

#include <thread>

#include "com/com_object.h"

namespace {

const IID IID_IShape = {0x1d3a0001, 0x0001, 0x0001, {0x80, 0, 0, 0, 0, 0, 0, 1}};
const IID IID_ISquare = {0x1d3a0001, 0x0001, 0x0001, {0x80, 0, 0, 0, 0, 0, 0, 2}};
const IID IID_ILabel = {0x1d3a0001, 0x0001, 0x0001, {0x80, 0, 0, 0, 0, 0, 0, 3}};
const IID IID_INowhere = {0x1d3a0001, 0x0001, 0x0001, {0x80, 0, 0, 0, 0, 0, 0, 4}};

struct IShape : IUnknown {
    virtual int Corners() = 0;
};
struct ISquare : IShape {
    virtual int Side() = 0;
};
struct ILabel : IUnknown {
    virtual const char* Text() = 0;
};

class Square final : public nol::com::Object<ISquare, IID_IShape, IID_ISquare> {
public:
    Square(bool* gone, bool labelled) : gone_(gone), labelled_(labelled) {}
    int Corners() override { return 4; }
    int Side() override { return 3; }
    ULONG Count() const { return References(); }

private:
    class Label final : public nol::com::Part<ILabel, Square> {
    public:
        using Part::Part;
        const char* Text() override { return "square"; }
    };
    ~Square() override { *gone_ = true; }
    void* Other(REFIID iid) override {
        return iid == IID_ILabel && labelled_ ? static_cast<ILabel*>(&label_) : nullptr;
    }

    bool* gone_;
    bool labelled_;
    Label label_{*this};
};

// Outlives its count, as the Direct3D device does.
class Lingering final : public nol::com::Object<IShape, IID_IShape> {
public:
    int Corners() override { return 0; }
    int lastReleases = 0;

private:
    void LastRelease() override { ++lastReleases; }
};

TEST(ComObject, QueryInterfaceAnswersItsListAndRefusesTheRest) {
    bool gone = false;
    auto* square = new Square(&gone, false);
    EXPECT_EQ(square->QueryInterface(IID_IShape, nullptr), E_POINTER);

    for (const IID* iid : {&IID_IUnknown, &IID_IShape, &IID_ISquare}) {
        void* out = nullptr;
        ASSERT_EQ(square->QueryInterface(*iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<ISquare*>(square));
    }
    EXPECT_EQ(square->Count(), 4u);  // each answer holds a reference

    void* out = square;
    EXPECT_EQ(square->QueryInterface(IID_INowhere, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(square->QueryInterface(IID_ILabel, &out), E_NOINTERFACE);  // not labelled
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(square->Count(), 4u);
    for (int i = 0; i < 4; ++i) square->Release();
    EXPECT_TRUE(gone);
}

TEST(ComObject, ACountThatReachedZeroStaysThere) {
    Lingering* object = new Lingering;
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(object->lastReleases, 1);
    EXPECT_EQ(object->AddRef(), 0u);   // not brought back
    EXPECT_EQ(object->Release(), 0u);  // nor released again
    EXPECT_EQ(object->lastReleases, 1);
    delete object;
}

TEST(ComObject, APartSharesTheOwnersIdentityAndCount) {
    bool gone = false;
    auto* square = new Square(&gone, true);
    EXPECT_EQ(square->AddRef(), 2u);
    ILabel* label = nullptr;
    ASSERT_EQ(square->QueryInterface(IID_ILabel, reinterpret_cast<void**>(&label)), S_OK);
    EXPECT_STREQ(label->Text(), "square");
    void* unknown = nullptr;
    ASSERT_EQ(label->QueryInterface(IID_IUnknown, &unknown), S_OK);
    EXPECT_EQ(unknown, static_cast<ISquare*>(square));

    // Four references to one object, whichever interface drops them; it goes with
    // the last.
    EXPECT_EQ(label->Release(), 3u);
    EXPECT_EQ(square->Release(), 2u);
    EXPECT_EQ(static_cast<IUnknown*>(unknown)->Release(), 1u);
    ASSERT_FALSE(gone);
    EXPECT_EQ(label->Release(), 0u);
    EXPECT_TRUE(gone);
}

TEST(ComObject, HandOutLeavesTheCallerTheOnlyReferenceOrNone) {
    bool gone = false;
    void* out = nullptr;
    ASSERT_EQ(nol::com::HandOut(new Square(&gone, false), IID_ISquare, &out), S_OK);
    auto* square = static_cast<ISquare*>(out);
    EXPECT_EQ(square->Side(), 3);
    EXPECT_EQ(square->Release(), 0u);
    EXPECT_TRUE(gone);

    gone = false;
    out = &gone;
    EXPECT_EQ(nol::com::HandOut(new Square(&gone, false), IID_INowhere, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_TRUE(gone);

    gone = false;
    EXPECT_EQ(nol::com::HandOut(new Square(&gone, false), IID_ISquare, nullptr), E_POINTER);
    EXPECT_TRUE(gone);
}

TEST(ComObject, TheCountHoldsUnderTwoThreads) {
    bool gone = false;
    auto* square = new Square(&gone, false);
    auto churn = [square] {
        for (int i = 0; i < 1000000; ++i) {
            square->AddRef();
            square->Release();
        }
    };
    std::thread a(churn), b(churn);
    a.join();
    b.join();
    EXPECT_EQ(square->Count(), 1u);
    EXPECT_FALSE(gone);
    EXPECT_EQ(square->Release(), 0u);
    EXPECT_TRUE(gone);
}

}  // namespace
