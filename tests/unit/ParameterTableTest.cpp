// The parameter table, the base plugin's display texts and input status, the
// effect's value table, and the descriptor's fixed fields, in-process.

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "effect/Skewgrain.h"
#include "plugin/CFFGLPluginDescriptor.h"
#include "plugin/CFFGLPluginManager.h"
#include "plugin/CFreeFrameGLPlugin.h"

namespace {

std::string Field(const char* bytes, size_t size)
{
    return std::string(bytes, size);
}

TEST(ParameterTable, DefaultsAreClampedButNaNAndNegativeZeroPass)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float declared;
        float stored;
    };
    const Case cases[] = {{1.5f, 1.0f}, {-0.5f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f},
                          {-0.0f, -0.0f}, {FLT_MAX, 1.0f}, {-FLT_MAX, 0.0f}};
    CFFGLPluginManager table;
    uint32_t index = 0;
    for (const Case& c : cases)
        table.DeclareParameter(index++, "p", FF_TYPE_STANDARD, c.declared);
    table.DeclareParameter(index, "nan", FF_TYPE_STANDARD, nan);

    index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declared);
        // Bit patterns, so that -0.0 is told from 0.0.
        EXPECT_EQ(table.ParameterDefault(index++), FloatBits(c.stored));
    }
    EXPECT_TRUE(std::isnan(BitsFloat(static_cast<uint32_t>(table.ParameterDefault(index)))));
}

TEST(ParameterTable, NamesAreCopiedIntoSixteenBytes)
{
    CFFGLPluginManager table;
    table.DeclareParameter(0, " X Distortion", FF_TYPE_STANDARD, 0.0f);
    table.DeclareParameter(1, "Sixteen chars 16", FF_TYPE_STANDARD, 0.0f);
    table.DeclareParameter(2, "Twenty characters 20", FF_TYPE_STANDARD, 0.0f);

    EXPECT_EQ(Field(table.ParameterName(0), 16), std::string(" X Distortion\0\0\0", 16));
    EXPECT_EQ(Field(table.ParameterName(1), 16), "Sixteen chars 16");
    EXPECT_EQ(Field(table.ParameterName(2), 16), "Twenty character");
}

TEST(ParameterTable, LookupsTakeTheFirstNodeAndRefuseUndeclaredIndices)
{
    CFFGLPluginManager table;
    table.DeclareParameter(3, "first", FF_TYPE_STANDARD, 0.5f);
    table.DeclareParameter(3, "second", FF_TYPE_BOOLEAN, 0.0f);

    EXPECT_EQ(table.ParameterCount(), 2u);
    EXPECT_STREQ(table.ParameterName(3), "first");
    EXPECT_EQ(table.ParameterType(3), FF_TYPE_STANDARD);
    EXPECT_EQ(table.ParameterDefault(3), 0x3F000000u);
    EXPECT_EQ(table.ParameterExtra1(3), 1u);
    EXPECT_EQ(table.ParameterExtra2(3), 0u);

    for (uint32_t undeclared : {0u, 4u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(undeclared);
        EXPECT_EQ(table.ParameterName(undeclared), nullptr);
        EXPECT_EQ(table.ParameterType(undeclared), FF_FAIL);
        EXPECT_EQ(table.ParameterDefault(undeclared), MixedValue(0xFFFFFFFFu));
        EXPECT_EQ(table.ParameterExtra1(undeclared), FF_FAIL);
        EXPECT_EQ(table.ParameterExtra2(undeclared), FF_FAIL);
    }
}

TEST(ParameterTable, InputStatusComparesUnsigned)
{
    struct Case {
        int32_t maximum;
        uint32_t input;
        uint32_t answer;
    };
    const Case cases[] = {
        {1, 0, 1},          {1, 1, FF_FAIL},           {1, 0xFFFFFFFFu, FF_FAIL},
        {-1, 0, 1},         {-1, 1000, 1},             {-1, 0xFFFFFFFEu, 1},
        {-1, 0xFFFFFFFFu, FF_FAIL}, {0, 0, FF_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.maximum << " " << c.input);
        CFreeFrameGLPlugin plugin;
        plugin.SetMaximumInputs(c.maximum);
        EXPECT_EQ(plugin.InputStatus(c.input), c.answer);
    }
}

TEST(DisplayText, FormatsTheOwnersValueInTheSharedBuffer)
{
    Skewgrain first;
    Skewgrain second;
    first.parameterOwner = &first;
    second.parameterOwner = &second;
    second.SetFloatValue(2, 0.75f);

    char* a = first.ParameterDisplayText(0);
    EXPECT_STREQ(a, "0.250000");
    char* b = second.ParameterDisplayText(2);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b, CFreeFrameGLPlugin::displayTextBuffer);
    EXPECT_STREQ(a, "0.750000");

    EXPECT_EQ(first.ParameterDisplayText(11), nullptr);
}

TEST(DisplayText, HoldsTheWholeTextOfTheLargestFloats)
{
    Skewgrain plugin;
    plugin.parameterOwner = &plugin;
    plugin.SetFloatValue(0, -FLT_MAX);
    EXPECT_STREQ(plugin.ParameterDisplayText(0), "-340282346638528859811704183484516925440.000000");
    plugin.SetFloatValue(0, FLT_MAX);
    EXPECT_STREQ(plugin.ParameterDisplayText(0), "340282346638528859811704183484516925440.000000");
}

TEST(DisplayText, NoOwnerAnswersNull)
{
    Skewgrain plugin;
    EXPECT_EQ(plugin.parameterOwner, nullptr);
    EXPECT_EQ(plugin.ParameterDisplayText(0), nullptr);
}

TEST(SkewgrainValues, DefaultsAndStorageAsSent)
{
    Skewgrain plugin;
    const float defaults[] = {0.25f, 0.0f, 0.5f, 0.5f, 0.25f, 0.25f, 0.5f, 0.5f, 0.0f, 0.0f, 0.0f};
    for (uint32_t i = 0; i < 11; ++i)
        EXPECT_EQ(FloatBits(plugin.GetFloatValue(i)), FloatBits(defaults[i])) << "index " << i;

    // Values are stored exactly as sent: no clamp, no rounding of switches.
    EXPECT_EQ(plugin.SetFloatValue(0, 1.5f), FF_SUCCESS);
    EXPECT_EQ(plugin.GetFloatValue(0), 1.5f);
    EXPECT_EQ(plugin.SetFloatValue(8, 0.5f), FF_SUCCESS);
    EXPECT_EQ(plugin.randomMode, 0.5f);
    EXPECT_EQ(plugin.SetFloatValue(10, -3.0f), FF_SUCCESS);
    EXPECT_EQ(plugin.colorInfluence, -3.0f);

    for (uint32_t index : {11u, 0xFFFFFFFFu}) {
        EXPECT_EQ(plugin.SetFloatValue(index, 9.0f), FF_FAIL);
        EXPECT_EQ(plugin.GetFloatValue(index), 0.0f);
    }
    const float after[] = {1.5f, 0.0f, 0.5f, 0.5f, 0.25f, 0.25f, 0.5f, 0.5f, 0.5f, 0.0f, -3.0f};
    for (uint32_t i = 0; i < 11; ++i)
        EXPECT_EQ(plugin.GetFloatValue(i), after[i]) << "index " << i;
}

TEST(SkewgrainValues, DeclaresElevenParametersAndOneInput)
{
    Skewgrain plugin;
    EXPECT_EQ(plugin.ParameterCount(), 11u);
    EXPECT_EQ(plugin.minimumInputs, 1);
    EXPECT_EQ(plugin.maximumInputs, 1);
    for (int32_t location : plugin.uniformLocations)
        EXPECT_EQ(location, -1);
    EXPECT_EQ(plugin.shader.programHandle, 0u);
}

// The descriptor's fixed fields: copied up to the terminator, zero after it,
// no terminator when the text fills the field.
TEST(Descriptor, CopiesNameAndIdIntoFixedFields)
{
    CFFGLPluginDescriptor* current = currentDescriptor;
    const char description[] = "words";
    {
        CFFGLPluginDescriptor sixteen(MakeInstance, "AB", "Sixteen chars 16", 1, 500, 1, 0, 0,
                                      description, "about", 0, nullptr);
        EXPECT_EQ(currentDescriptor, &sixteen);
        EXPECT_EQ(Field(reinterpret_cast<const char*>(sixteen.info.PluginName), 16),
                  "Sixteen chars 16");
        EXPECT_EQ(Field(reinterpret_cast<const char*>(sixteen.info.PluginUniqueID), 4),
                  std::string("AB\0\0", 4));
        EXPECT_STREQ(sixteen.extendedInfo.Description, description);
        EXPECT_NE(sixteen.extendedInfo.Description, description);

        CFFGLPluginDescriptor twenty(MakeInstance, "ABCDEF", "Twenty characters 20", 1, 500, 1, 0,
                                     0, description, "about", 0, nullptr);
        EXPECT_EQ(Field(reinterpret_cast<const char*>(twenty.info.PluginName), 16),
                  "Twenty character");
        EXPECT_EQ(Field(reinterpret_cast<const char*>(twenty.info.PluginUniqueID), 4), "ABCD");
    }
    currentDescriptor = current;
}

}  // namespace
