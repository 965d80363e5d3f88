#pragma once

#include <cstdint>
#include <string>

#include "plugin/FFGL.h"

namespace frayline {

// A plugin binary loaded by path, called through its one export, plugMain.
//
// Call() passes a function code as it is and gives the raw answer. The typed
// wrappers below name every function code and build or read its record.
// Answers that are 32-bit codes come back as the low half of the answer;
// answers whose failure is all bits set or null stay whole MixedValues.
// Wrappers that give a pointer give null for a null answer and for a failure
// answer (all bits set, or FF_FAIL in the low half): use Call() to tell
// those apart.
class PluginLibrary {
public:
    // Throws HostError: "plugin not found: <path>: <reason>" when the binary
    // does not load, "no plugMain in <path>" when it lacks the export.
    // A path without a directory means the file in the working directory,
    // not a search of the library path.
    explicit PluginLibrary(const std::string& path);
    ~PluginLibrary();

    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const std::string& Path() const { return path_; }
    PlugMainFunction Entry() const { return entry_; }
    MixedValue Call(uint32_t code, MixedValue input = 0, uintptr_t instance = 0) const;

    // One per function code, in code order. ParameterName gives the 16-byte
    // name field, which need not be terminated. ParameterDefault gives float
    // bits in the low half. GetParameterBits gives the raw answer (FF_FAIL is
    // possible), GetParameter the same bits as a float. InstantiateGL answers
    // FF_ALLBITS on failure.
    const PluginInfoStruct* GetInfo() const;                                      // 0
    uint32_t Initialise() const;                                                  // 1
    uint32_t Deinitialise() const;                                                // 2
    uint32_t ProcessFrame(uintptr_t instance, void* frame) const;                 // 3
    uint32_t NumParameters() const;                                               // 4
    const char* ParameterName(uint32_t index) const;                              // 5
    MixedValue ParameterDefault(uint32_t index) const;                            // 6
    const char* ParameterDisplay(uintptr_t instance, uint32_t index) const;       // 7
    uint32_t SetParameter(uintptr_t instance, uint32_t index, float value) const; // 8
    uint32_t GetParameterBits(uintptr_t instance, uint32_t index) const;          // 9
    float GetParameter(uintptr_t instance, uint32_t index) const;                 // 9
    uint32_t PluginCaps(uint32_t capability) const;                               // 10
    MixedValue Instantiate(const void* videoInfo) const;                          // 11
    uint32_t Deinstantiate(uintptr_t instance) const;                             // 12
    const PluginExtendedInfoStruct* GetExtendedInfo() const;                      // 13
    uint32_t ProcessFrameCopy(uintptr_t instance, void* frames) const;            // 14
    uint32_t ParameterType(uint32_t index) const;                                 // 15
    uint32_t InputStatus(uintptr_t instance, uint32_t input) const;               // 16
    uint32_t ProcessOpenGL(uintptr_t instance, ProcessOpenGLStruct* frame) const; // 17
    MixedValue InstantiateGL(const FFGLViewportStruct* viewport) const;           // 18
    uint32_t DeinstantiateGL(uintptr_t instance) const;                           // 19
    uint32_t SetTime(uintptr_t instance, const double* time) const;               // 20
    uint32_t Connect(uintptr_t instance) const;                                   // 21
    uint32_t Disconnect(uintptr_t instance) const;                                // 22
    uint32_t Resize(uintptr_t instance, MixedValue input) const;                  // 23
    uint32_t ParameterExtra1(uint32_t index) const;                               // 31
    uint32_t ParameterExtra2(uint32_t index) const;                               // 32
    MixedValue PrototypeQuery() const;                                            // 33

private:
    uint32_t Call32(uint32_t code, MixedValue input = 0, uintptr_t instance = 0) const;
    const void* CallPointer(uint32_t code, MixedValue input = 0, uintptr_t instance = 0) const;

    std::string path_;
    void* handle_ = nullptr;
    PlugMainFunction entry_ = nullptr;
};

} // namespace frayline
