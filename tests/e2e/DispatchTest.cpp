// The built plugin as a host sees it: loaded by path, driven through plugMain.

#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "host/GLContext.h"
#include "host/PluginLibrary.h"

namespace {

using frayline::GLContext;
using frayline::PluginLibrary;

constexpr MixedValue Fail32 = FF_FAIL;  // FF_FAIL in the low half

class Dispatch : public testing::Test {
protected:
    // Each test loads the library afresh and leaves it without a prototype,
    // so nothing outlives the unload.
    void SetUp() override { plugin = std::make_unique<PluginLibrary>(FRAYLINE_PLUGIN_PATH); }
    void TearDown() override
    {
        plugin->Deinitialise();
        plugin.reset();
    }

    std::unique_ptr<PluginLibrary> plugin;
};

// Codes that concern no instance, or that fail before reaching one.
TEST_F(Dispatch, FunctionCodeTable)
{
    struct Case {
        uint32_t code;
        MixedValue input;
        MixedValue answer;
    };
    const Case cases[] = {
        {FF_INITIALISE, 0, FF_SUCCESS},
        {FF_PROCESSFRAME, 0, Fail32},
        {FF_GETNUMPARAMETERS, 0, 11},
        {FF_GETPARAMETERNAME, 11, 0},
        {FF_GETPARAMETERDEFAULT, 11, Fail32},
        {FF_GETPARAMETERDISPLAY, 0, FF_ALLBITS},
        {FF_SETPARAMETER, 0, Fail32},
        {FF_GETPARAMETER, 0, Fail32},
        {FF_INSTANTIATE, 0, Fail32},
        {FF_DEINSTANTIATE, 0, Fail32},
        {FF_PROCESSFRAMECOPY, 0, Fail32},
        {FF_GETPARAMETERTYPE, 11, Fail32},
        {FF_GETINPUTSTATUS, 0, Fail32},
        {FF_PROCESSOPENGL, 0, Fail32},
        {FF_INSTANTIATEGL, 0, FF_ALLBITS},
        {FF_DEINSTANTIATEGL, 0, Fail32},
        {FF_SETTIME, 0, Fail32},
        {FF_CONNECT, 0, Fail32},
        {FF_DISCONNECT, 0, Fail32},
        {FF_RESIZE, 0, Fail32},
        {24, 0, Fail32}, {25, 0, Fail32}, {26, 0, Fail32}, {27, 0, Fail32},
        {28, 0, Fail32}, {29, 0, Fail32}, {30, 0, Fail32},
        {FF_GETPARAMETEREXTRA1, 11, Fail32},
        {FF_GETPARAMETEREXTRA2, 11, Fail32},
        {FF_PROTOTYPEQUERY, 0, 0},
        {34, 0, Fail32},
        {0xFFFFFFFFu, 0, Fail32},
        {FF_DEINITIALISE, 0, FF_SUCCESS},
        {FF_DEINITIALISE, 0, FF_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code);
        EXPECT_EQ(plugin->Call(c.code, c.input, 0), c.answer);
    }
}

TEST_F(Dispatch, CapabilitiesTable)
{
    struct Case {
        uint32_t capability;
        MixedValue answer;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 0}, {6, 0},
                          {10, 1}, {11, 1}, {12, 0}, {15, 0}, {16, 0}, {0xFFFFFFFFu, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.capability);
        EXPECT_EQ(plugin->Call(FF_GETPLUGINCAPS, c.capability), c.answer);
    }
}

TEST_F(Dispatch, InformationRecords)
{
    const auto* info = reinterpret_cast<const PluginInfoStruct*>(plugin->Call(FF_GETINFO));
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info, plugin->GetInfo());
    EXPECT_EQ(info->APIMajorVersion, 1u);
    EXPECT_EQ(info->APIMinorVersion, 500u);
    EXPECT_EQ(std::memcmp(info->PluginUniqueID, "FRLY", 4), 0);
    EXPECT_EQ(std::memcmp(info->PluginName, "Frayline\0\0\0\0\0\0\0\0", 16), 0);
    EXPECT_EQ(info->PluginType, 0u);

    const auto* extended =
        reinterpret_cast<const PluginExtendedInfoStruct*>(plugin->Call(FF_GETEXTENDEDINFO));
    ASSERT_NE(extended, nullptr);
    EXPECT_EQ(extended, plugin->GetExtendedInfo());
    EXPECT_EQ(extended->PluginMajorVersion, 1u);
    EXPECT_EQ(extended->PluginMinorVersion, 0u);
    EXPECT_STREQ(extended->Description, "Distort the image with a random signal.");
    ASSERT_NE(extended->About, nullptr);
    EXPECT_GT(std::strlen(extended->About), 0u);
    EXPECT_EQ(extended->FreeFrameExtendedDataSize, 0u);
    EXPECT_EQ(extended->FreeFrameExtendedDataBlock, nullptr);
}

TEST_F(Dispatch, ParameterTable)
{
    struct Row {
        const char* name;
        uint32_t type;
        uint32_t defaultBits;
    };
    const Row rows[] = {
        {" X Distortion", FF_TYPE_STANDARD, 0x3E800000u},
        {"Y Distortion", FF_TYPE_STANDARD, 0x00000000u},
        {"Strength X", FF_TYPE_STANDARD, 0x3F000000u},
        {"Strength Y", FF_TYPE_STANDARD, 0x3F000000u},
        {"Frequence", FF_TYPE_STANDARD, 0x3E800000u},
        {"Random Strength", FF_TYPE_STANDARD, 0x3E800000u},
        {"X Speed", FF_TYPE_STANDARD, 0x3F000000u},
        {"Y Speed", FF_TYPE_STANDARD, 0x3F000000u},
        {"Random Mode", FF_TYPE_BOOLEAN, 0x00000000u},
        {"Swap X and Y", FF_TYPE_BOOLEAN, 0x00000000u},
        {"Color Influence", FF_TYPE_BOOLEAN, 0x00000000u},
    };
    ASSERT_EQ(plugin->NumParameters(), 11u);
    for (uint32_t i = 0; i < 11; ++i) {
        SCOPED_TRACE(rows[i].name);
        const char* name = reinterpret_cast<const char*>(plugin->Call(FF_GETPARAMETERNAME, i));
        ASSERT_NE(name, nullptr);
        char expected[16] = {};  // every name here is shorter than the field
        std::memcpy(expected, rows[i].name, std::strlen(rows[i].name));
        EXPECT_EQ(std::memcmp(name, expected, 16), 0);
        EXPECT_EQ(plugin->Call(FF_GETPARAMETERTYPE, i), rows[i].type);
        EXPECT_EQ(plugin->Call(FF_GETPARAMETERDEFAULT, i), rows[i].defaultBits);
        EXPECT_EQ(plugin->Call(FF_GETPARAMETEREXTRA1, i), 1u);
        EXPECT_EQ(plugin->Call(FF_GETPARAMETEREXTRA2, i), 0u);
    }
}

// The first call of a fresh library is a query: it makes the prototype
// itself. After FF_DEINITIALISE twice, a query makes a new one.
TEST_F(Dispatch, PrototypeIsMadeOnFirstNeedAndRemade)
{
    EXPECT_EQ(plugin->Call(FF_GETNUMPARAMETERS), 11u);
    EXPECT_EQ(plugin->Call(FF_DEINITIALISE), FF_SUCCESS);
    EXPECT_EQ(plugin->Call(FF_DEINITIALISE), FF_SUCCESS);
    EXPECT_EQ(plugin->Call(FF_GETPARAMETERTYPE, 8), FF_TYPE_BOOLEAN);
    EXPECT_EQ(plugin->Call(FF_DEINITIALISE), FF_SUCCESS);
    EXPECT_EQ(plugin->Call(FF_GETPLUGINCAPS, FF_CAP_MAXIMUMINPUTFRAMES), 1u);
}

// Instances need the host's GL context: FF_INSTANTIATEGL builds the program.
class InstanceDispatch : public Dispatch {
protected:
    void SetUp() override
    {
        Dispatch::SetUp();
        FFGLViewportStruct viewport{0, 0, 64, 64};
        MixedValue id = plugin->Call(FF_INSTANTIATEGL, reinterpret_cast<MixedValue>(&viewport));
        ASSERT_NE(id, FF_ALLBITS);
        instance = id;
    }
    void TearDown() override
    {
        if (instance != 0) {
            EXPECT_EQ(plugin->Call(FF_DEINSTANTIATEGL, 0, instance), FF_SUCCESS);
        }
        Dispatch::TearDown();
    }

    GLContext context;
    uintptr_t instance = 0;
};

TEST_F(InstanceDispatch, ValuesStartAtTheDefaultsAndRoundTrip)
{
    EXPECT_EQ(plugin->Call(FF_GETPARAMETER, 0, instance), 0x3E800000u);
    EXPECT_STREQ(plugin->ParameterDisplay(instance, 0), "0.250000");

    SetParameterStruct set{4, 0x3FC00000u};  // 1.5, stored unclamped
    EXPECT_EQ(plugin->Call(FF_SETPARAMETER, reinterpret_cast<MixedValue>(&set), instance),
              FF_SUCCESS);
    EXPECT_EQ(plugin->Call(FF_GETPARAMETER, 4, instance), 0x3FC00000u);
    EXPECT_STREQ(plugin->ParameterDisplay(instance, 4), "1.500000");

    SetParameterStruct outside{11, 0x3F800000u};
    EXPECT_EQ(plugin->Call(FF_SETPARAMETER, reinterpret_cast<MixedValue>(&outside), instance),
              Fail32);
    EXPECT_EQ(plugin->Call(FF_GETPARAMETERDISPLAY, 11, instance), 0u);
    EXPECT_EQ(plugin->Call(FF_GETPARAMETER, 11, instance), 0u);  // 0.0
}

TEST_F(InstanceDispatch, InstanceCodes)
{
    struct Case {
        uint32_t code;
        MixedValue input;
        MixedValue answer;
    };
    const double time = 1.25;
    const Case cases[] = {
        {FF_SETPARAMETER, 0, Fail32},  // a null record is refused, not read
        {FF_GETINPUTSTATUS, 0, 1},
        {FF_GETINPUTSTATUS, 1, Fail32},
        {FF_GETINPUTSTATUS, 0xFFFFFFFFu, Fail32},
        {FF_PROCESSOPENGL, 0, Fail32},
        {FF_SETTIME, 0, Fail32},
        {FF_SETTIME, reinterpret_cast<MixedValue>(&time), Fail32},  // own clock only
        {FF_CONNECT, 0, 0},
        {FF_DISCONNECT, 0, 0},
        {FF_RESIZE, 0, 0},
        {FF_PROCESSFRAME, 0, Fail32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code " << c.code);
        EXPECT_EQ(plugin->Call(c.code, c.input, instance), c.answer);
    }
}

TEST_F(InstanceDispatch, FramesWithoutAnInputFail)
{
    ProcessOpenGLStruct none{0, nullptr, 0};
    EXPECT_EQ(plugin->ProcessOpenGL(instance, &none), FF_FAIL);
    ProcessOpenGLStruct countWithoutArray{1, nullptr, 0};
    EXPECT_EQ(plugin->ProcessOpenGL(instance, &countWithoutArray), FF_FAIL);
}

}  // namespace
