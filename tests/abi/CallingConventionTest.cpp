// The 32-bit builds' plugMain must be stdcall: the callee pops its three
// 4-byte arguments. A host built for stdcall that meets a cdecl plugMain (or
// the reverse) loses or gains 12 bytes of stack at every call; that need not
// crash at once, and the answers still come out right, so the only proof is
// the stack pointer itself. Built for 32-bit x86 only.

#include <gtest/gtest.h>

#include <cstdint>

#include "host/PluginLibrary.h"

#if !defined(__i386__)
#error "the calling-convention test is for 32-bit x86 builds"
#endif

// Calls entry(code, input, instance) the way a 32-bit host does (arguments
// pushed right to left, then call) and answers how many bytes of arguments
// the callee popped: 12 for stdcall, 0 for cdecl. The stack pointer is put
// back either way, and plugMain's answer is stored through *answer.
//
// Itself cdecl, arguments at 8(%ebp) onwards. Keeps the call site 16-byte
// aligned: ebp, esi and 8 bytes of padding after the return address, then
// the 12 bytes of arguments.
__attribute__((naked, noinline)) uint32_t CallMeasuringPop(const void* /*entry*/,
                                                           uint32_t /*code*/,
                                                           uint32_t /*input*/,
                                                           uint32_t /*instance*/,
                                                           uint32_t* /*answer*/)
{
    asm("pushl %ebp\n\t"
        "movl %esp, %ebp\n\t"
        "pushl %esi\n\t"
        "subl $8, %esp\n\t"
        "movl %esp, %esi\n\t"
        "pushl 20(%ebp)\n\t"
        "pushl 16(%ebp)\n\t"
        "pushl 12(%ebp)\n\t"
        "call *8(%ebp)\n\t"
        "movl 24(%ebp), %ecx\n\t"
        "movl %eax, (%ecx)\n\t"
        "movl %esp, %eax\n\t"
        "subl %esi, %eax\n\t"
        "addl $12, %eax\n\t"
        "movl %esi, %esp\n\t"
        "addl $8, %esp\n\t"
        "popl %esi\n\t"
        "popl %ebp\n\t"
        "ret");
}

namespace {

const void* EntryOf(const frayline::PluginLibrary& plugin)
{
    return reinterpret_cast<const void*>(plugin.Entry());
}

// Every path out of plugMain, the failing ones included, must pop the same.
TEST(CallingConvention, EveryReturnOfPlugMainPopsTwelveBytes)
{
    frayline::PluginLibrary plugin(FRAYLINE_PLUGIN_PATH);
    struct Case {
        const char* what;
        uint32_t code;
        uint32_t input;
    };
    const Case cases[] = {
        {"FF_GETINFO", FF_GETINFO, 0},
        {"FF_GETNUMPARAMETERS", FF_GETNUMPARAMETERS, 0},
        {"FF_GETPARAMETERNAME 0", FF_GETPARAMETERNAME, 0},
        {"FF_GETPARAMETERDEFAULT 99 (no such parameter)", FF_GETPARAMETERDEFAULT, 99},
        {"FF_GETPLUGINCAPS FF_CAP_PROCESSOPENGL", FF_GETPLUGINCAPS, FF_CAP_PROCESSOPENGL},
        {"FF_DEINSTANTIATEGL without an instance", FF_DEINSTANTIATEGL, 0},
        {"an unknown function code", 0xBEEF, 0},
    };
    for (const Case& c : cases) {
        uint32_t answer = 0;
        EXPECT_EQ(CallMeasuringPop(EntryOf(plugin), c.code, c.input, 0, &answer), 12u) << c.what;
        // The same answer as through the host's ordinary call.
        EXPECT_EQ(answer, static_cast<uint32_t>(plugin.Call(c.code, c.input, 0))) << c.what;
    }
    plugin.Deinitialise();
}

// The measurement itself can tell: a plugMain built cdecl pops nothing.
TEST(CallingConvention, ACallerCleanedPlugMainIsSeenAsSuch)
{
    const frayline::PluginLibrary cdeclPlugin(FRAYLINE_CDECL_PLUGIN_PATH);
    uint32_t answer = 0;
    EXPECT_EQ(CallMeasuringPop(EntryOf(cdeclPlugin), 1, 2, 3, &answer), 0u);
    EXPECT_EQ(answer, 6u);
}

}  // namespace
