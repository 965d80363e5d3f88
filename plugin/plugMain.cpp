#include "plugin/plugMain.h"

#include "plugin/CFFGLPluginDescriptor.h"
#include "plugin/CFreeFrameGLPlugin.h"

// The host calls plugMain from one thread at a time, so the lazily made
// prototype and the instances' active flags need no lock.

namespace {

// Answers every parameter and capability query; made on first need, deleted
// by FF_DEINITIALISE.
CFreeFrameGLPlugin* prototype = nullptr;

bool EnsurePrototype()
{
    if (prototype != nullptr)
        return true;
    if (currentDescriptor == nullptr)
        return false;
    uint32_t result = currentDescriptor->InstanceFactory()(&prototype);
    return result != FF_FAIL && prototype != nullptr;
}

CFreeFrameGLPlugin* AsInstance(uintptr_t instanceID)
{
    return reinterpret_cast<CFreeFrameGLPlugin*>(instanceID);
}

uint32_t LowHalf(MixedValue value)
{
    return static_cast<uint32_t>(value);
}

// The type that decides between the text and the float path, always taken
// from the prototype's table; FF_FAIL (not text) when there is none.
uint32_t PrototypeParameterType(uint32_t index)
{
    return EnsurePrototype() ? prototype->ParameterType(index) : FF_FAIL;
}

uint32_t PluginCaps(uint32_t capability)
{
    switch (capability) {
    case FF_CAP_PROCESSOPENGL:
        return 1;
    case FF_CAP_SETTIME:
        return prototype->TimeSupported() ? 1 : 0;
    case FF_CAP_MINIMUMINPUTFRAMES:
        return prototype->minimumInputs < 0 ? 0 : static_cast<uint32_t>(prototype->minimumInputs);
    case FF_CAP_MAXIMUMINPUTFRAMES:
        return prototype->maximumInputs < 0 ? 0 : static_cast<uint32_t>(prototype->maximumInputs);
    default:
        return 0;
    }
}

MixedValue InstantiateGL(const FFGLViewportStruct* viewport)
{
    if (currentDescriptor == nullptr || viewport == nullptr)
        return FF_ALLBITS;
    if (!EnsurePrototype())
        return FF_ALLBITS;

    CFreeFrameGLPlugin* instance = nullptr;
    if (currentDescriptor->InstanceFactory()(&instance) == FF_FAIL || instance == nullptr)
        return FF_ALLBITS;
    instance->parameterOwner = instance;

    for (uint32_t i = 0; i < prototype->parameterCount; ++i) {
        uint32_t type = prototype->ParameterType(i);
        MixedValue value = prototype->ParameterDefault(i);
        uint32_t result = type == FF_TYPE_TEXT
                              ? instance->SetTextValue(i, reinterpret_cast<const char*>(value))
                              : instance->SetFloatValue(i, BitsFloat(LowHalf(value)));
        if (result == FF_FAIL) {
            delete instance;
            return FF_ALLBITS;
        }
    }

    if (instance->SetUpGL(viewport) != FF_SUCCESS) {
        instance->TearDownGL();
        delete instance;
        return FF_ALLBITS;
    }
    return reinterpret_cast<MixedValue>(instance);
}

uint32_t DeinstantiateGL(CFreeFrameGLPlugin* instance)
{
    if (instance->isActive) {
        instance->Deactivate();
        instance->isActive = false;
    }
    instance->TearDownGL();
    delete instance;
    return FF_SUCCESS;
}

}  // namespace

FF_EXPORT MixedValue FF_CALL plugMain(uint32_t functionCode, MixedValue inputValue,
                                      uintptr_t instanceID)
{
    CFreeFrameGLPlugin* instance = AsInstance(instanceID);
    const uint32_t index = LowHalf(inputValue);

    switch (functionCode) {
    case FF_GETINFO:
        return reinterpret_cast<MixedValue>(currentDescriptor->InfoRecord());

    case FF_INITIALISE:
        return EnsurePrototype() ? FF_SUCCESS : FF_FAIL;

    case FF_DEINITIALISE:
        delete prototype;
        prototype = nullptr;
        return FF_SUCCESS;

    case FF_GETNUMPARAMETERS:
        return EnsurePrototype() ? prototype->ParameterCount() : FF_FAIL;

    case FF_GETPARAMETERNAME:
        if (!EnsurePrototype())
            return 0;
        return reinterpret_cast<MixedValue>(prototype->ParameterName(index));

    case FF_GETPARAMETERDEFAULT:
        return EnsurePrototype() ? prototype->ParameterDefault(index) : FF_FAIL;

    case FF_GETPARAMETERDISPLAY:
        if (instance == nullptr)
            return FF_ALLBITS;
        return reinterpret_cast<MixedValue>(instance->ParameterDisplayText(index));

    case FF_SETPARAMETER: {
        // A null record is refused rather than read.
        const auto* record = reinterpret_cast<const SetParameterStruct*>(inputValue);
        if (instance == nullptr || record == nullptr)
            return FF_FAIL;
        if (PrototypeParameterType(record->ParameterNumber) == FF_TYPE_TEXT)
            return instance->SetTextValue(record->ParameterNumber,
                                          reinterpret_cast<const char*>(record->NewParameterValue));
        return instance->SetFloatValue(record->ParameterNumber,
                                       BitsFloat(LowHalf(record->NewParameterValue)));
    }

    case FF_GETPARAMETER:
        if (instance == nullptr)
            return FF_FAIL;
        if (PrototypeParameterType(index) == FF_TYPE_TEXT)
            return reinterpret_cast<MixedValue>(instance->GetTextValue(index));
        return FloatBits(instance->GetFloatValue(index));

    case FF_GETPLUGINCAPS:
        return EnsurePrototype() ? PluginCaps(index) : FF_FAIL;

    case FF_GETEXTENDEDINFO:
        return reinterpret_cast<MixedValue>(currentDescriptor->ExtendedInfoRecord());

    case FF_GETPARAMETERTYPE:
        return EnsurePrototype() ? prototype->ParameterType(index) : FF_FAIL;

    case FF_GETINPUTSTATUS:
        return instance != nullptr ? instance->InputStatus(index) : FF_FAIL;

    case FF_PROCESSOPENGL:
        if (instance == nullptr || inputValue == 0)
            return FF_FAIL;
        if (!instance->isActive) {
            instance->Activate();
            instance->isActive = true;
        }
        return instance->RenderFrame(reinterpret_cast<const ProcessOpenGLStruct*>(inputValue));

    case FF_INSTANTIATEGL:
        return InstantiateGL(reinterpret_cast<const FFGLViewportStruct*>(inputValue));

    case FF_DEINSTANTIATEGL:
        return instance != nullptr ? DeinstantiateGL(instance) : FF_FAIL;

    case FF_SETTIME:
        if (instance == nullptr || inputValue == 0)
            return FF_FAIL;
        return instance->SetHostTime(*reinterpret_cast<const double*>(inputValue));

    case FF_CONNECT: {
        if (instance == nullptr)
            return FF_FAIL;
        uint32_t result = instance->Activate();
        if (result == 0)
            instance->isActive = true;
        return result;
    }

    case FF_DISCONNECT: {
        if (instance == nullptr)
            return FF_FAIL;
        uint32_t result = instance->Deactivate();
        if (result == 0)
            instance->isActive = false;
        return result;
    }

    case FF_RESIZE:
        return instance != nullptr ? instance->Reconfigure(inputValue) : FF_FAIL;

    case FF_GETPARAMETEREXTRA1:
        return EnsurePrototype() ? prototype->ParameterExtra1(index) : FF_FAIL;

    case FF_GETPARAMETEREXTRA2:
        return EnsurePrototype() ? prototype->ParameterExtra2(index) : FF_FAIL;

    case FF_PROTOTYPEQUERY:
        return EnsurePrototype() ? prototype->PrototypeQuery() : 0;

    default:
        // FF_PROCESSFRAME, FF_INSTANTIATE, FF_DEINSTANTIATE, FF_PROCESSFRAMECOPY,
        // the unused codes 24 to 30 and everything above 33.
        return FF_FAIL;
    }
}
