#include "host/PluginLibrary.h"

#include "host/HostError.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace frayline {
namespace {

// The operating system's part: open, look up, close, and say why not.
#if defined(_WIN32)

std::string LastError()
{
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, GetLastError(), 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string reason = length ? std::string(text, length) : "unknown error";
    LocalFree(text);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == '.'))
        reason.pop_back();
    return reason;
}

void* OpenLibrary(const std::string& path, std::string& reason)
{
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module)
        reason = LastError();
    return reinterpret_cast<void*>(module);
}

PlugMainFunction FindEntry(void* handle)
{
    FARPROC address = GetProcAddress(reinterpret_cast<HMODULE>(handle), "plugMain");
    return reinterpret_cast<PlugMainFunction>(reinterpret_cast<void (*)()>(address));
}

void CloseLibrary(void* handle)
{
    FreeLibrary(reinterpret_cast<HMODULE>(handle));
}

#else

void* OpenLibrary(const std::string& path, std::string& reason)
{
    // dlopen searches the library path for a bare name; a host means the file.
    const std::string file = path.find('/') == std::string::npos ? "./" + path : path;
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        reason = error ? error : "unknown error";
        // dlerror starts with the file name, which the message already has.
        if (reason.compare(0, file.size() + 2, file + ": ") == 0)
            reason.erase(0, file.size() + 2);
    }
    return handle;
}

PlugMainFunction FindEntry(void* handle)
{
    return reinterpret_cast<PlugMainFunction>(dlsym(handle, "plugMain"));
}

void CloseLibrary(void* handle)
{
    dlclose(handle);
}

#endif

// A record's address as plugMain's input.
template <typename T>
MixedValue Pass(T* pointer)
{
    return reinterpret_cast<MixedValue>(pointer);
}

bool IsFailure(MixedValue answer)
{
    return answer == 0 || answer == FF_ALLBITS || static_cast<uint32_t>(answer) == FF_FAIL;
}

} // namespace

PluginLibrary::PluginLibrary(const std::string& path) : path_(path)
{
    std::string reason;
    handle_ = OpenLibrary(path, reason);
    if (!handle_)
        throw HostError("plugin not found: " + path + ": " + reason);
    entry_ = FindEntry(handle_);
    if (!entry_) {
        CloseLibrary(handle_);
        throw HostError("no plugMain in " + path);
    }
}

PluginLibrary::~PluginLibrary()
{
    CloseLibrary(handle_);
}

MixedValue PluginLibrary::Call(uint32_t code, MixedValue input, uintptr_t instance) const
{
    return entry_(code, input, instance);
}

uint32_t PluginLibrary::Call32(uint32_t code, MixedValue input, uintptr_t instance) const
{
    return static_cast<uint32_t>(entry_(code, input, instance));
}

const void* PluginLibrary::CallPointer(uint32_t code, MixedValue input, uintptr_t instance) const
{
    const MixedValue answer = entry_(code, input, instance);
    return IsFailure(answer) ? nullptr : reinterpret_cast<const void*>(answer);
}

const PluginInfoStruct* PluginLibrary::GetInfo() const
{
    return static_cast<const PluginInfoStruct*>(CallPointer(FF_GETINFO));
}

uint32_t PluginLibrary::Initialise() const
{
    return Call32(FF_INITIALISE);
}

uint32_t PluginLibrary::Deinitialise() const
{
    return Call32(FF_DEINITIALISE);
}

uint32_t PluginLibrary::ProcessFrame(uintptr_t instance, void* frame) const
{
    return Call32(FF_PROCESSFRAME, Pass(frame), instance);
}

uint32_t PluginLibrary::NumParameters() const
{
    return Call32(FF_GETNUMPARAMETERS);
}

const char* PluginLibrary::ParameterName(uint32_t index) const
{
    return static_cast<const char*>(CallPointer(FF_GETPARAMETERNAME, index));
}

MixedValue PluginLibrary::ParameterDefault(uint32_t index) const
{
    return Call(FF_GETPARAMETERDEFAULT, index);
}

const char* PluginLibrary::ParameterDisplay(uintptr_t instance, uint32_t index) const
{
    return static_cast<const char*>(CallPointer(FF_GETPARAMETERDISPLAY, index, instance));
}

uint32_t PluginLibrary::SetParameter(uintptr_t instance, uint32_t index, float value) const
{
    const SetParameterStruct record{index, FloatBits(value)};
    return Call32(FF_SETPARAMETER, Pass(&record), instance);
}

uint32_t PluginLibrary::GetParameterBits(uintptr_t instance, uint32_t index) const
{
    return Call32(FF_GETPARAMETER, index, instance);
}

float PluginLibrary::GetParameter(uintptr_t instance, uint32_t index) const
{
    return BitsFloat(GetParameterBits(instance, index));
}

uint32_t PluginLibrary::PluginCaps(uint32_t capability) const
{
    return Call32(FF_GETPLUGINCAPS, capability);
}

MixedValue PluginLibrary::Instantiate(const void* videoInfo) const
{
    return Call(FF_INSTANTIATE, Pass(videoInfo));
}

uint32_t PluginLibrary::Deinstantiate(uintptr_t instance) const
{
    return Call32(FF_DEINSTANTIATE, 0, instance);
}

const PluginExtendedInfoStruct* PluginLibrary::GetExtendedInfo() const
{
    return static_cast<const PluginExtendedInfoStruct*>(CallPointer(FF_GETEXTENDEDINFO));
}

uint32_t PluginLibrary::ProcessFrameCopy(uintptr_t instance, void* frames) const
{
    return Call32(FF_PROCESSFRAMECOPY, Pass(frames), instance);
}

uint32_t PluginLibrary::ParameterType(uint32_t index) const
{
    return Call32(FF_GETPARAMETERTYPE, index);
}

uint32_t PluginLibrary::InputStatus(uintptr_t instance, uint32_t input) const
{
    return Call32(FF_GETINPUTSTATUS, input, instance);
}

uint32_t PluginLibrary::ProcessOpenGL(uintptr_t instance, ProcessOpenGLStruct* frame) const
{
    return Call32(FF_PROCESSOPENGL, Pass(frame), instance);
}

MixedValue PluginLibrary::InstantiateGL(const FFGLViewportStruct* viewport) const
{
    return Call(FF_INSTANTIATEGL, Pass(viewport));
}

uint32_t PluginLibrary::DeinstantiateGL(uintptr_t instance) const
{
    return Call32(FF_DEINSTANTIATEGL, 0, instance);
}

uint32_t PluginLibrary::SetTime(uintptr_t instance, const double* time) const
{
    return Call32(FF_SETTIME, Pass(time), instance);
}

uint32_t PluginLibrary::Connect(uintptr_t instance) const
{
    return Call32(FF_CONNECT, 0, instance);
}

uint32_t PluginLibrary::Disconnect(uintptr_t instance) const
{
    return Call32(FF_DISCONNECT, 0, instance);
}

uint32_t PluginLibrary::Resize(uintptr_t instance, MixedValue input) const
{
    return Call32(FF_RESIZE, input, instance);
}

uint32_t PluginLibrary::ParameterExtra1(uint32_t index) const
{
    return Call32(FF_GETPARAMETEREXTRA1, index);
}

uint32_t PluginLibrary::ParameterExtra2(uint32_t index) const
{
    return Call32(FF_GETPARAMETEREXTRA2, index);
}

MixedValue PluginLibrary::PrototypeQuery() const
{
    return Call(FF_PROTOTYPEQUERY);
}

} // namespace frayline
