#include "plugin/CFFGLPluginManager.h"

#include <cstdlib>
#include <cstring>

CFFGLPluginManager::CFFGLPluginManager()
    : parameterCount(0),
      firstParameter(nullptr),
      lastParameter(nullptr),
      minimumInputs(0),
      maximumInputs(0),
      supportsHostTime(false)
{
}

CFFGLPluginManager::~CFFGLPluginManager()
{
    ParameterNode* node = firstParameter;
    while (node != nullptr) {
        ParameterNode* next = node->next;
        if (node->type == FF_TYPE_TEXT && node->defaultText != nullptr)
            std::free(node->defaultText);
        delete node;
        node = next;
    }
    firstParameter = nullptr;
    lastParameter = nullptr;
}

void CFFGLPluginManager::DeclareParameter(uint32_t index, const char* name, uint32_t type,
                                          float value)
{
    ParameterNode* node = new ParameterNode();  // value-initialised: the name is all zeros
    node->index = index;
    node->extra1 = 1;
    node->extra2 = 0;
    for (size_t i = 0; i < sizeof node->name; ++i) {
        node->name[i] = name[i];
        if (name[i] == '\0')
            break;
    }
    node->type = type;
    // Two comparisons that a NaN fails both times, so NaN and -0.0 pass as they are.
    float clamped = 1.0f < value ? 1.0f : value;
    node->defaultValue = 0.0f > clamped ? 0.0f : clamped;
    node->defaultText = nullptr;
    node->next = nullptr;

    if (firstParameter == nullptr)
        firstParameter = node;
    if (lastParameter != nullptr)
        lastParameter->next = node;
    lastParameter = node;
    ++parameterCount;
}

void CFFGLPluginManager::SetMinimumInputs(int32_t count)
{
    minimumInputs = count;
}

void CFFGLPluginManager::SetMaximumInputs(int32_t count)
{
    maximumInputs = count;
}

uint32_t CFFGLPluginManager::ParameterCount() const
{
    return parameterCount;
}

const ParameterNode* CFFGLPluginManager::FindParameter(uint32_t index) const
{
    for (const ParameterNode* node = firstParameter; node != nullptr; node = node->next) {
        if (node->index == index)
            return node;
    }
    return nullptr;
}

const char* CFFGLPluginManager::ParameterName(uint32_t index) const
{
    const ParameterNode* node = FindParameter(index);
    return node != nullptr ? node->name : nullptr;
}

uint32_t CFFGLPluginManager::ParameterType(uint32_t index) const
{
    const ParameterNode* node = FindParameter(index);
    return node != nullptr ? node->type : FF_FAIL;
}

MixedValue CFFGLPluginManager::ParameterDefault(uint32_t index) const
{
    const ParameterNode* node = FindParameter(index);
    if (node == nullptr)
        return FF_FAIL;
    if (node->type == FF_TYPE_TEXT)
        return reinterpret_cast<MixedValue>(node->defaultText);
    return FloatBits(node->defaultValue);
}

uint32_t CFFGLPluginManager::ParameterExtra1(uint32_t index) const
{
    const ParameterNode* node = FindParameter(index);
    return node != nullptr ? node->extra1 : FF_FAIL;
}

uint32_t CFFGLPluginManager::ParameterExtra2(uint32_t index) const
{
    const ParameterNode* node = FindParameter(index);
    return node != nullptr ? node->extra2 : FF_FAIL;
}

bool CFFGLPluginManager::TimeSupported() const
{
    return supportsHostTime;
}
