#include "plugin/CFFGLPluginDescriptor.h"

#include <cstdlib>
#include <cstring>

CFFGLPluginDescriptor* currentDescriptor = nullptr;

namespace {

// Copies at most `size` bytes, stopping right after the terminator; the rest
// of the field stays zero. A text as long as the field keeps no terminator.
void CopyFixed(unsigned char* field, size_t size, const char* text)
{
    for (size_t i = 0; i < size; ++i) {
        field[i] = static_cast<unsigned char>(text[i]);
        if (text[i] == '\0')
            break;
    }
}

// A copy on the C heap, released with free(); null when the heap is out.
char* DuplicateText(const char* text)
{
    size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr)
        std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

CFFGLPluginDescriptor::CFFGLPluginDescriptor(FactoryFunction instanceFactory, const char* uniqueID,
                                             const char* name, uint32_t apiMajorVersion,
                                             uint32_t apiMinorVersion, uint32_t pluginMajorVersion,
                                             uint32_t pluginMinorVersion, uint32_t pluginType,
                                             const char* description, const char* about,
                                             uint32_t extendedDataSize, void* extendedDataBlock)
    : info(), extendedInfo(), factory(instanceFactory)
{
    info.APIMajorVersion = apiMajorVersion;
    info.APIMinorVersion = apiMinorVersion;
    CopyFixed(info.PluginName, sizeof info.PluginName, name);
    CopyFixed(info.PluginUniqueID, sizeof info.PluginUniqueID, uniqueID);
    info.PluginType = pluginType;
    extendedInfo.PluginMajorVersion = pluginMajorVersion;
    extendedInfo.PluginMinorVersion = pluginMinorVersion;
    extendedInfo.About = DuplicateText(about);
    extendedInfo.Description = DuplicateText(description);
    // A block, when given, is referenced in place: the caller keeps it alive.
    if (extendedDataSize != 0 && extendedDataBlock != nullptr) {
        extendedInfo.FreeFrameExtendedDataSize = extendedDataSize;
        extendedInfo.FreeFrameExtendedDataBlock = extendedDataBlock;
    } else {
        extendedInfo.FreeFrameExtendedDataSize = 0;
        extendedInfo.FreeFrameExtendedDataBlock = nullptr;
    }
    currentDescriptor = this;
}

CFFGLPluginDescriptor::~CFFGLPluginDescriptor()
{
    std::free(extendedInfo.About);
    std::free(extendedInfo.Description);
}

const PluginInfoStruct* CFFGLPluginDescriptor::InfoRecord() const
{
    return &info;
}

const PluginExtendedInfoStruct* CFFGLPluginDescriptor::ExtendedInfoRecord() const
{
    return &extendedInfo;
}

FactoryFunction CFFGLPluginDescriptor::InstanceFactory() const
{
    return factory;
}
