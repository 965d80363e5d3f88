// Each instance's clock and drift phases, driven by the controllable counter.
// Frames without an input return before any GL call, so no context is needed.

#include <cstdint>

#include <gtest/gtest.h>

#include "effect/Skewgrain.h"
#include "support/FakeCounter.h"

namespace {

class Clock : public testing::Test {
protected:
    void SetUp() override
    {
        frayline::fake::frequency = 1000000000;
        frayline::fake::counter = 123456789;
    }

    // A frame without input: the clock advances and nothing is drawn.
    uint32_t Frame()
    {
        ProcessOpenGLStruct record{0, nullptr, 0};
        return plugin.RenderFrame(&record);
    }

    Skewgrain plugin;
};

TEST_F(Clock, FirstFrameHalfASecondAfterSetUp)
{
    struct Case {
        float speed;
        float phase;
    };
    for (const Case& c : {Case{1.0f, 1.0f}, Case{0.5f, 0.0f}, Case{0.0f, -1.0f}}) {
        SCOPED_TRACE(c.speed);
        Skewgrain fresh;
        fresh.SetFloatValue(6, c.speed);
        fresh.SetFloatValue(7, c.speed);
        fresh.StartClock();
        frayline::fake::Advance(0.5);
        ProcessOpenGLStruct record{0, nullptr, 0};
        EXPECT_EQ(fresh.RenderFrame(&record), FF_FAIL);
        EXPECT_EQ(fresh.currentTime, 0.5);
        EXPECT_EQ(FloatBits(fresh.timeX), FloatBits(c.phase));
        EXPECT_EQ(FloatBits(fresh.timeY), FloatBits(c.phase));
    }
}

TEST_F(Clock, ATenSecondGapMovesThePhaseByTheWholeInterval)
{
    plugin.SetFloatValue(6, 1.0f);
    plugin.SetFloatValue(7, 0.25f);
    plugin.StartClock();
    frayline::fake::Advance(1.0);
    Frame();
    frayline::fake::Advance(10.0);
    Frame();
    EXPECT_EQ(plugin.previousTime, 1.0);
    EXPECT_EQ(plugin.currentTime, 11.0);
    EXPECT_EQ(plugin.timeX, 22.0f);
    EXPECT_EQ(plugin.timeY, -11.0f);
}

TEST_F(Clock, FramesWithoutInputStillAdvanceIt)
{
    plugin.SetFloatValue(6, 1.0f);
    plugin.StartClock();
    frayline::fake::Advance(0.25);
    ProcessOpenGLStruct nullEntry{1, nullptr, 0};  // a count with no array
    EXPECT_EQ(plugin.RenderFrame(&nullEntry), FF_FAIL);
    FFGLTextureStruct* none = nullptr;
    ProcessOpenGLStruct nullFirst{1, &none, 0};
    frayline::fake::Advance(0.25);
    EXPECT_EQ(plugin.RenderFrame(&nullFirst), FF_FAIL);
    EXPECT_EQ(plugin.currentTime, 0.5);
    EXPECT_EQ(plugin.timeX, 1.0f);
}

TEST_F(Clock, TwoInstancesSetUpAtDifferentMomentsDriftApart)
{
    Skewgrain later;
    plugin.SetFloatValue(6, 0.9f);
    later.SetFloatValue(6, 0.9f);
    plugin.StartClock();
    frayline::fake::Advance(0.3);
    later.StartClock();
    frayline::fake::Advance(0.1);
    Frame();
    ProcessOpenGLStruct record{0, nullptr, 0};
    later.RenderFrame(&record);
    EXPECT_NE(plugin.timeX, later.timeX);
}

// The drift phases' bits over frames with uneven gaps, at a 10 MHz counter
// (the usual Windows frequency). Every build, 32-bit ones included, must give
// exactly these bits. The speeds are chosen so that float arithmetic, or a dt
// left in double, gives other bits in most rows.
TEST_F(Clock, DriftBitsTable)
{
    frayline::fake::frequency = 10000000;
    plugin.SetFloatValue(6, BitsFloat(0x3E977E96u));  // 0.295887649
    plugin.SetFloatValue(7, BitsFloat(0x3F6A6F21u));  // 0.915758193
    plugin.StartClock();

    struct Step {
        int64_t ticks;
        uint32_t timeX;
        uint32_t timeY;
    };
    const Step steps[] = {
#include "unit/DriftBits.inc"
    };
    for (const Step& step : steps) {
        frayline::fake::counter += step.ticks;
        Frame();
        SCOPED_TRACE(testing::Message() << "after " << step.ticks << " ticks");
        ASSERT_EQ(FloatBits(plugin.timeX), step.timeX);
        ASSERT_EQ(FloatBits(plugin.timeY), step.timeY);
    }
}

}  // namespace
