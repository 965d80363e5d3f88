// A plugin binary whose plugMain uses the caller-cleans convention: what the
// calling-convention test must tell apart from the real plugin. It answers
// the sum of its arguments, and no host may call it through the stdcall type.

#include <cstdint>

#if defined(_WIN32)
#define FRAYLINE_TEST_EXPORT extern "C" __declspec(dllexport)
#else
#define FRAYLINE_TEST_EXPORT extern "C" __attribute__((visibility("default")))
#endif

FRAYLINE_TEST_EXPORT uint32_t __attribute__((cdecl)) plugMain(uint32_t code, uint32_t input,
                                                               uint32_t instance)
{
    return code + input + instance;
}
