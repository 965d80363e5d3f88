#pragma once

#include <cstdint>

#include "plugin/FFGL.h"

// One declared parameter. Nodes live on the heap in declaration order and
// belong to the list of the manager that made them.
struct ParameterNode {
    uint32_t index;
    char name[16];  // zero-padded; a 16-byte name keeps no terminator
    uint32_t type;
    uint32_t extra1;
    uint32_t extra2;
    float defaultValue;
    char* defaultText;  // C heap, owned when type is FF_TYPE_TEXT
    ParameterNode* next;
};

// The parameter table of a plugin object and its input limits. The effect's
// constructor fills it; the dispatcher answers the host's parameter and
// capability queries from the prototype's copy.
class CFFGLPluginManager {
public:
    CFFGLPluginManager();
    virtual ~CFFGLPluginManager();

    CFFGLPluginManager(const CFFGLPluginManager&) = delete;
    CFFGLPluginManager& operator=(const CFFGLPluginManager&) = delete;

    void DeclareParameter(uint32_t index, const char* name, uint32_t type, float value);
    void SetMinimumInputs(int32_t count);
    void SetMaximumInputs(int32_t count);

    uint32_t ParameterCount() const;
    // Lookups answer the first node declared with the index.
    const char* ParameterName(uint32_t index) const;  // null when undeclared
    uint32_t ParameterType(uint32_t index) const;     // FF_FAIL when undeclared
    MixedValue ParameterDefault(uint32_t index) const;  // 0xFFFFFFFF when undeclared
    uint32_t ParameterExtra1(uint32_t index) const;   // FF_FAIL when undeclared
    uint32_t ParameterExtra2(uint32_t index) const;   // FF_FAIL when undeclared
    bool TimeSupported() const;

    uint32_t parameterCount;
    ParameterNode* firstParameter;
    ParameterNode* lastParameter;
    int32_t minimumInputs;
    int32_t maximumInputs;
    bool supportsHostTime;

private:
    const ParameterNode* FindParameter(uint32_t index) const;
};
