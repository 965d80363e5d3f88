#include "plugin/CFreeFrameGLPlugin.h"

#include <cstdio>

char CFreeFrameGLPlugin::displayTextBuffer[48];

CFreeFrameGLPlugin::CFreeFrameGLPlugin() : isActive(false), parameterOwner(nullptr) {}

CFreeFrameGLPlugin::~CFreeFrameGLPlugin() = default;

uint32_t CFreeFrameGLPlugin::SetUpGL(const FFGLViewportStruct*)
{
    return FF_SUCCESS;
}

uint32_t CFreeFrameGLPlugin::TearDownGL()
{
    return FF_SUCCESS;
}

char* CFreeFrameGLPlugin::ParameterDisplayText(uint32_t index)
{
    if (parameterOwner == nullptr)
        return nullptr;
    uint32_t type = parameterOwner->ParameterType(index);
    if (type == FF_FAIL)
        return nullptr;
    if (type == FF_TYPE_TEXT)
        return parameterOwner->GetTextValue(index);
    double value = parameterOwner->GetFloatValue(index);
    std::snprintf(displayTextBuffer, sizeof displayTextBuffer, "%f", value);
    return displayTextBuffer;
}

uint32_t CFreeFrameGLPlugin::SetFloatValue(uint32_t, float)
{
    return FF_FAIL;
}

uint32_t CFreeFrameGLPlugin::SetTextValue(uint32_t, const char*)
{
    return FF_FAIL;
}

float CFreeFrameGLPlugin::GetFloatValue(uint32_t)
{
    return 0.0f;
}

char* CFreeFrameGLPlugin::GetTextValue(uint32_t)
{
    return reinterpret_cast<char*>(FF_ALLBITS);
}

uint32_t CFreeFrameGLPlugin::RenderFrame(const ProcessOpenGLStruct*)
{
    return FF_FAIL;
}

uint32_t CFreeFrameGLPlugin::SetHostTime(double)
{
    return FF_FAIL;
}

uint32_t CFreeFrameGLPlugin::InputStatus(uint32_t inputIndex)
{
    // Unsigned on purpose: a negative maximum reads as a very large count.
    return inputIndex < static_cast<uint32_t>(maximumInputs) ? 1u : FF_FAIL;
}

MixedValue CFreeFrameGLPlugin::PrototypeQuery()
{
    return 0;
}

uint32_t CFreeFrameGLPlugin::Activate()
{
    return 0;
}

uint32_t CFreeFrameGLPlugin::Deactivate()
{
    return 0;
}

uint32_t CFreeFrameGLPlugin::Reconfigure(MixedValue)
{
    return 0;
}
