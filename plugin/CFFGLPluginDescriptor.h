#pragma once

#include <cstdint>

#include "plugin/FFGL.h"

class CFreeFrameGLPlugin;

// Makes one plugin object: stores it in *out (null when none could be made)
// and answers FF_SUCCESS or FF_FAIL.
typedef uint32_t (*FactoryFunction)(CFreeFrameGLPlugin** out);

// The plugin's information records and its instance factory. The library
// holds exactly one, built at load before any other static object; building
// it makes it the current descriptor.
class CFFGLPluginDescriptor {
public:
    CFFGLPluginDescriptor(FactoryFunction factory, const char* uniqueID, const char* name,
                          uint32_t apiMajorVersion, uint32_t apiMinorVersion,
                          uint32_t pluginMajorVersion, uint32_t pluginMinorVersion,
                          uint32_t pluginType, const char* description, const char* about,
                          uint32_t extendedDataSize, void* extendedDataBlock);
    ~CFFGLPluginDescriptor();

    CFFGLPluginDescriptor(const CFFGLPluginDescriptor&) = delete;
    CFFGLPluginDescriptor& operator=(const CFFGLPluginDescriptor&) = delete;

    const PluginInfoStruct* InfoRecord() const;
    const PluginExtendedInfoStruct* ExtendedInfoRecord() const;
    FactoryFunction InstanceFactory() const;

    PluginInfoStruct info;  // first, so its address is the descriptor's
    PluginExtendedInfoStruct extendedInfo;
    FactoryFunction factory;
};

// The descriptor the dispatcher reaches; set once, at library load.
extern CFFGLPluginDescriptor* currentDescriptor;
