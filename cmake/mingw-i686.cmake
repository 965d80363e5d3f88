# 32-bit Windows, cross-built with MinGW-w64 (the posix thread model, for a
# complete std::thread and std::mutex). Tests run under Wine through
# scripts/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs link statically (no libstdc++-6.dll or libgcc DLL to ship next to
# them). The address-space flag gives a 32-bit program the 4 GB that llvmpipe
# needs to map its code under Wine on qemu.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--large-address-aware")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh" win32)
