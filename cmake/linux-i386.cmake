# 32-bit x86 Linux from the x86-64 compiler (gcc-multilib) and the i386
# multiarch libraries. The kernel here runs no i386 code, so tests run under
# qemu user emulation; llvmpipe needs a CPU model newer than qemu's default.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# SSE2 arithmetic, not x87: the same float bits as the 64-bit builds.
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# Nehalem without the two 64-bit-only features qemu-i386 warns about.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -cpu Nehalem,-lm,-syscall -L /)
