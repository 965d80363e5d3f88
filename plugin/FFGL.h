#pragma once

// Everything that crosses plugMain: the function codes, result and type
// constants, and the plain records the host and the plugin exchange.
// The layouts follow the natural alignment of the build and are checked
// below for both pointer widths.

#include <cstddef>
#include <cstdint>

#include "platform/Export.h"

// A code, count, index or float bit pattern in the low 32 bits, or a whole
// pointer: 64 bits in a 64-bit build, 32 bits in a 32-bit build.
typedef uintptr_t MixedValue;

typedef MixedValue(FF_CALL* PlugMainFunction)(uint32_t functionCode, MixedValue inputValue,
                                               uintptr_t instanceID);

// Function codes.
enum : uint32_t {
    FF_GETINFO = 0,
    FF_INITIALISE = 1,
    FF_DEINITIALISE = 2,
    FF_PROCESSFRAME = 3,
    FF_GETNUMPARAMETERS = 4,
    FF_GETPARAMETERNAME = 5,
    FF_GETPARAMETERDEFAULT = 6,
    FF_GETPARAMETERDISPLAY = 7,
    FF_SETPARAMETER = 8,
    FF_GETPARAMETER = 9,
    FF_GETPLUGINCAPS = 10,
    FF_INSTANTIATE = 11,
    FF_DEINSTANTIATE = 12,
    FF_GETEXTENDEDINFO = 13,
    FF_PROCESSFRAMECOPY = 14,
    FF_GETPARAMETERTYPE = 15,
    FF_GETINPUTSTATUS = 16,
    FF_PROCESSOPENGL = 17,
    FF_INSTANTIATEGL = 18,
    FF_DEINSTANTIATEGL = 19,
    FF_SETTIME = 20,
    FF_CONNECT = 21,
    FF_DISCONNECT = 22,
    FF_RESIZE = 23,
    FF_GETPARAMETEREXTRA1 = 31,
    FF_GETPARAMETEREXTRA2 = 32,
    FF_PROTOTYPEQUERY = 33,
};

// Results.
constexpr uint32_t FF_SUCCESS = 0;
constexpr uint32_t FF_FAIL = 0xFFFFFFFFu;

// All bits of a MixedValue set: the failure answer of FF_INSTANTIATEGL and
// of FF_GETPARAMETERDISPLAY without an instance.
constexpr MixedValue FF_ALLBITS = ~MixedValue(0);

// Parameter types.
constexpr uint32_t FF_TYPE_BOOLEAN = 0;
constexpr uint32_t FF_TYPE_STANDARD = 10;
constexpr uint32_t FF_TYPE_TEXT = 100;

// Capabilities asked with FF_GETPLUGINCAPS.
enum : uint32_t {
    FF_CAP_PROCESSOPENGL = 4,
    FF_CAP_SETTIME = 5,
    FF_CAP_MINIMUMINPUTFRAMES = 10,
    FF_CAP_MAXIMUMINPUTFRAMES = 11,
};

constexpr uint32_t FF_EFFECT = 0;

struct PluginInfoStruct {
    uint32_t APIMajorVersion;
    uint32_t APIMinorVersion;
    unsigned char PluginUniqueID[4];
    unsigned char PluginName[16];
    uint32_t PluginType;
};

struct PluginExtendedInfoStruct {
    uint32_t PluginMajorVersion;
    uint32_t PluginMinorVersion;
    char* Description;
    char* About;
    uint32_t FreeFrameExtendedDataSize;
    void* FreeFrameExtendedDataBlock;
};

struct SetParameterStruct {
    uint32_t ParameterNumber;
    MixedValue NewParameterValue;
};

struct FFGLTextureStruct {
    uint32_t Width;
    uint32_t Height;
    uint32_t HardwareWidth;
    uint32_t HardwareHeight;
    uint32_t Handle;
};

struct ProcessOpenGLStruct {
    uint32_t numInputTextures;
    FFGLTextureStruct** inputTextures;
    uint32_t HostFBO;
};

struct FFGLViewportStruct {
    uint32_t x;
    uint32_t y;
    uint32_t width;
    uint32_t height;
};

// The layouts do not depend on the pointer width.
static_assert(sizeof(PluginInfoStruct) == 32, "PluginInfoStruct size");
static_assert(offsetof(PluginInfoStruct, APIMinorVersion) == 4, "APIMinorVersion");
static_assert(offsetof(PluginInfoStruct, PluginUniqueID) == 8, "PluginUniqueID");
static_assert(offsetof(PluginInfoStruct, PluginName) == 12, "PluginName");
static_assert(offsetof(PluginInfoStruct, PluginType) == 28, "PluginType");
static_assert(sizeof(FFGLTextureStruct) == 20, "FFGLTextureStruct size");
static_assert(offsetof(FFGLTextureStruct, Height) == 4, "Height");
static_assert(offsetof(FFGLTextureStruct, HardwareWidth) == 8, "HardwareWidth");
static_assert(offsetof(FFGLTextureStruct, HardwareHeight) == 12, "HardwareHeight");
static_assert(offsetof(FFGLTextureStruct, Handle) == 16, "Handle");
static_assert(sizeof(FFGLViewportStruct) == 16, "FFGLViewportStruct size");
static_assert(offsetof(FFGLViewportStruct, y) == 4, "y");
static_assert(offsetof(FFGLViewportStruct, width) == 8, "width");
static_assert(offsetof(FFGLViewportStruct, height) == 12, "height");

// The layouts that hold pointers, per width.
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(sizeof(MixedValue) == 8, "MixedValue is 64 bits");
static_assert(sizeof(PluginExtendedInfoStruct) == 40, "PluginExtendedInfoStruct size");
static_assert(offsetof(PluginExtendedInfoStruct, Description) == 8, "Description");
static_assert(offsetof(PluginExtendedInfoStruct, About) == 16, "About");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataSize) == 24, "DataSize");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataBlock) == 32, "DataBlock");
static_assert(sizeof(SetParameterStruct) == 16, "SetParameterStruct size");
static_assert(offsetof(SetParameterStruct, NewParameterValue) == 8, "NewParameterValue");
static_assert(sizeof(ProcessOpenGLStruct) == 24, "ProcessOpenGLStruct size");
static_assert(offsetof(ProcessOpenGLStruct, inputTextures) == 8, "inputTextures");
static_assert(offsetof(ProcessOpenGLStruct, HostFBO) == 16, "HostFBO");
#elif UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(MixedValue) == 4, "MixedValue is 32 bits");
static_assert(sizeof(PluginExtendedInfoStruct) == 24, "PluginExtendedInfoStruct size");
static_assert(offsetof(PluginExtendedInfoStruct, Description) == 8, "Description");
static_assert(offsetof(PluginExtendedInfoStruct, About) == 12, "About");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataSize) == 16, "DataSize");
static_assert(offsetof(PluginExtendedInfoStruct, FreeFrameExtendedDataBlock) == 20, "DataBlock");
static_assert(sizeof(SetParameterStruct) == 8, "SetParameterStruct size");
static_assert(offsetof(SetParameterStruct, NewParameterValue) == 4, "NewParameterValue");
static_assert(sizeof(ProcessOpenGLStruct) == 12, "ProcessOpenGLStruct size");
static_assert(offsetof(ProcessOpenGLStruct, inputTextures) == 4, "inputTextures");
static_assert(offsetof(ProcessOpenGLStruct, HostFBO) == 8, "HostFBO");
#else
#error "unsupported pointer width"
#endif

// Reading and writing a float as its bit pattern in the low 32 bits.
inline uint32_t FloatBits(float value)
{
    uint32_t bits;
    __builtin_memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline float BitsFloat(uint32_t bits)
{
    float value;
    __builtin_memcpy(&value, &bits, sizeof value);
    return value;
}
