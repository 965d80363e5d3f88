#pragma once

// Export and calling-convention macros for the one entry point.
//
// The 32-bit builds use stdcall (the callee pops its arguments), as the
// system's own interfaces do; on x86-64 there is only one convention and the
// attribute would just warn, so it is left out there.

#if defined(_WIN32)
#define FF_EXPORT extern "C" __declspec(dllexport)
#else
#define FF_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#if defined(__i386__) || defined(_M_IX86)
#if defined(_MSC_VER)
#define FF_CALL __stdcall
#else
#define FF_CALL __attribute__((stdcall))
#endif
#else
#define FF_CALL
#endif
