// The dispatcher's instance lifecycle, in-process, with a probe effect that
// counts the calls it receives and draws nothing.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "plugin/CFFGLPluginDescriptor.h"
#include "plugin/CFreeFrameGLPlugin.h"
#include "plugin/plugMain.h"

namespace {

std::vector<std::string> calls;

class Probe : public CFreeFrameGLPlugin {
public:
    Probe()
    {
        SetMaximumInputs(1);
        DeclareParameter(0, "value", FF_TYPE_STANDARD, 0.75f);
    }
    ~Probe() override { calls.push_back("delete"); }

    uint32_t SetUpGL(const FFGLViewportStruct*) override
    {
        calls.push_back("setup");
        return setUpAnswer;
    }
    uint32_t TearDownGL() override
    {
        calls.push_back("teardown");
        return FF_SUCCESS;
    }
    uint32_t SetFloatValue(uint32_t index, float v) override
    {
        calls.push_back("set " + std::to_string(v));
        if (index != 0)
            return FF_FAIL;
        value = v;
        return FF_SUCCESS;
    }
    float GetFloatValue(uint32_t) override { return value; }
    uint32_t RenderFrame(const ProcessOpenGLStruct*) override
    {
        calls.push_back("frame");
        return FF_SUCCESS;
    }
    uint32_t Activate() override
    {
        calls.push_back("activate");
        return activateAnswer;
    }
    uint32_t Deactivate() override
    {
        calls.push_back("deactivate");
        return deactivateAnswer;
    }

    static uint32_t setUpAnswer;
    static uint32_t activateAnswer;
    static uint32_t deactivateAnswer;
    float value = 0.0f;
};

uint32_t Probe::setUpAnswer = FF_SUCCESS;
uint32_t Probe::activateAnswer = 0;
uint32_t Probe::deactivateAnswer = 0;

uint32_t MakeProbe(CFreeFrameGLPlugin** out)
{
    *out = new Probe();
    return FF_SUCCESS;
}

uint32_t MakeNothing(CFreeFrameGLPlugin** out)
{
    *out = nullptr;
    return FF_SUCCESS;
}

class Lifecycle : public testing::Test {
protected:
    void SetUp() override
    {
        plugMain(FF_DEINITIALISE, 0, 0);
        saved = currentDescriptor;
        probe = new CFFGLPluginDescriptor(MakeProbe, "PRBE", "Probe", 1, 500, 1, 0, 0, "probe",
                                          "probe", 0, nullptr);
        Probe::setUpAnswer = FF_SUCCESS;
        Probe::activateAnswer = 0;
        Probe::deactivateAnswer = 0;
        ASSERT_EQ(plugMain(FF_INITIALISE, 0, 0), FF_SUCCESS);
        calls.clear();
    }
    void TearDown() override
    {
        plugMain(FF_DEINITIALISE, 0, 0);
        delete probe;
        currentDescriptor = saved;
    }

    uintptr_t Instantiate()
    {
        FFGLViewportStruct viewport{0, 0, 8, 8};
        return plugMain(FF_INSTANTIATEGL, reinterpret_cast<MixedValue>(&viewport), 0);
    }
    MixedValue Frame(uintptr_t id)
    {
        ProcessOpenGLStruct record{0, nullptr, 0};
        return plugMain(FF_PROCESSOPENGL, reinterpret_cast<MixedValue>(&record), id);
    }

    CFFGLPluginDescriptor* saved = nullptr;
    CFFGLPluginDescriptor* probe = nullptr;
};

using Calls = std::vector<std::string>;

TEST_F(Lifecycle, InstantiateCopiesDefaultsThenSetsUp)
{
    uintptr_t id = Instantiate();
    ASSERT_NE(id, FF_ALLBITS);
    auto* instance = reinterpret_cast<CFreeFrameGLPlugin*>(id);
    EXPECT_EQ(instance->parameterOwner, instance);
    EXPECT_FALSE(instance->isActive);
    EXPECT_EQ(calls, (Calls{"set 0.750000", "setup"}));
    EXPECT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, id), FF_SUCCESS);
}

TEST_F(Lifecycle, FirstFrameActivatesOnceAndDeinstantiateDeactivates)
{
    uintptr_t id = Instantiate();
    calls.clear();
    EXPECT_EQ(plugMain(FF_PROCESSOPENGL, 0, id), FF_FAIL);  // null record: nothing called
    EXPECT_TRUE(calls.empty());
    Probe::activateAnswer = 7;  // ignored by the frame path
    Frame(id);
    Frame(id);
    EXPECT_EQ(calls, (Calls{"activate", "frame", "frame"}));
    calls.clear();
    EXPECT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, id), FF_SUCCESS);
    EXPECT_EQ(calls, (Calls{"deactivate", "teardown", "delete"}));
}

TEST_F(Lifecycle, ConnectAndDisconnectSetTheFlagOnlyOnZero)
{
    uintptr_t id = Instantiate();
    auto* instance = reinterpret_cast<CFreeFrameGLPlugin*>(id);
    calls.clear();

    EXPECT_EQ(plugMain(FF_CONNECT, 0, id), 0u);
    EXPECT_TRUE(instance->isActive);
    Frame(id);  // already active: no Activate
    EXPECT_EQ(plugMain(FF_DISCONNECT, 0, id), 0u);
    EXPECT_FALSE(instance->isActive);
    Frame(id);  // inactive again: Activate once more
    EXPECT_EQ(calls, (Calls{"activate", "frame", "deactivate", "activate", "frame"}));

    Probe::deactivateAnswer = 5;
    EXPECT_EQ(plugMain(FF_DISCONNECT, 0, id), 5u);
    EXPECT_TRUE(instance->isActive);
    plugMain(FF_DISCONNECT, 0, 0);
    Probe::activateAnswer = 3;
    EXPECT_EQ(plugMain(FF_DEINSTANTIATEGL, 0, id), FF_SUCCESS);  // clears whatever Deactivate says
}

TEST_F(Lifecycle, FailedSetUpTearsDownAndDeletes)
{
    Probe::setUpAnswer = FF_FAIL;
    EXPECT_EQ(Instantiate(), FF_ALLBITS);
    EXPECT_EQ(calls, (Calls{"set 0.750000", "setup", "teardown", "delete"}));
}

TEST_F(Lifecycle, FailedDefaultCopyDeletesWithoutTearDown)
{
    // A table whose second parameter the instance refuses.
    plugMain(FF_DEINITIALISE, 0, 0);
    class TwoParameters : public Probe {
    public:
        TwoParameters() { DeclareParameter(1, "refused", FF_TYPE_STANDARD, 0.5f); }
    };
    probe->factory = [](CFreeFrameGLPlugin** out) -> uint32_t {
        *out = new TwoParameters();
        return FF_SUCCESS;
    };
    calls.clear();
    EXPECT_EQ(Instantiate(), FF_ALLBITS);
    // The prototype stays; only the instance went.
    EXPECT_EQ(calls, (Calls{"set 0.750000", "set 0.500000", "delete"}));
}

TEST_F(Lifecycle, FactoryWithoutObjectFailsEverywhere)
{
    plugMain(FF_DEINITIALISE, 0, 0);
    probe->factory = MakeNothing;
    EXPECT_EQ(plugMain(FF_INITIALISE, 0, 0), FF_FAIL);
    EXPECT_EQ(plugMain(FF_GETNUMPARAMETERS, 0, 0), FF_FAIL);
    EXPECT_EQ(plugMain(FF_GETPARAMETERNAME, 0, 0), 0u);
    EXPECT_EQ(plugMain(FF_GETPARAMETERDEFAULT, 0, 0), MixedValue(FF_FAIL));
    EXPECT_EQ(plugMain(FF_GETPLUGINCAPS, FF_CAP_PROCESSOPENGL, 0), FF_FAIL);
    EXPECT_EQ(plugMain(FF_PROTOTYPEQUERY, 0, 0), 0u);
    EXPECT_EQ(Instantiate(), FF_ALLBITS);
}

}  // namespace
