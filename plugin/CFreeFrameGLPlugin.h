#pragma once

#include <cstdint>

#include "plugin/CFFGLPluginManager.h"
#include "plugin/FFGL.h"

// The base of every plugin object, the prototype and each host instance.
// Every virtual operation has a base behaviour; an effect overrides what it
// needs. The declaration order below is the slot order.
class CFreeFrameGLPlugin : public CFFGLPluginManager {
public:
    CFreeFrameGLPlugin();
    ~CFreeFrameGLPlugin() override;

    virtual uint32_t SetUpGL(const FFGLViewportStruct* viewport);
    virtual uint32_t TearDownGL();
    virtual char* ParameterDisplayText(uint32_t index);
    virtual uint32_t SetFloatValue(uint32_t index, float value);
    virtual uint32_t SetTextValue(uint32_t index, const char* value);
    virtual float GetFloatValue(uint32_t index);
    virtual char* GetTextValue(uint32_t index);
    virtual uint32_t RenderFrame(const ProcessOpenGLStruct* record);
    virtual uint32_t SetHostTime(double time);
    virtual uint32_t InputStatus(uint32_t inputIndex);
    virtual MixedValue PrototypeQuery();
    virtual uint32_t Activate();
    virtual uint32_t Deactivate();
    virtual uint32_t Reconfigure(MixedValue value);

    // Set and cleared by the dispatcher.
    bool isActive;
    // The object whose table and values display texts come from; the
    // dispatcher points it at the instance itself when it makes one.
    CFreeFrameGLPlugin* parameterOwner;

    // One buffer for the whole process, overwritten by every float display.
    // Large enough for "%f" of any float: -FLT_MAX takes 47 characters.
    static char displayTextBuffer[48];
};
