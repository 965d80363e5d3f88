# GoogleTest for every build, and the one way tests are registered with CTest.
#
# Native and i386 Linux builds use Debian's prebuilt libgtest-dev (the i386
# one through multiarch). MinGW has no prebuilt GoogleTest, so the Windows
# builds compile Debian's source package (/usr/src/googletest) in-tree, with
# the same compiler and flags as the tests that link it.

include(GoogleTest)

if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(FRAYLINE_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows builds")
    if(NOT EXISTS "${FRAYLINE_GTEST_SOURCE_DIR}/CMakeLists.txt")
        message(FATAL_ERROR "No GoogleTest sources at ${FRAYLINE_GTEST_SOURCE_DIR}: run scripts/deps.sh")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    # Our -Werror -Wpedantic are for our code, not for GoogleTest's.
    get_directory_property(fraylineCompileOptions COMPILE_OPTIONS)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
    add_subdirectory("${FRAYLINE_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
    set_directory_properties(PROPERTIES COMPILE_OPTIONS "${fraylineCompileOptions}")
else()
    find_package(GTest REQUIRED)
endif()

# Tests of the Windows builds run under Wine; one Xvfb and one wineserver
# serve the whole CTest run (set up and torn down as a CTest fixture), so GL
# tests can run side by side without restarting Wine between them.
if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME wine_session_start COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --session-start)
    add_test(NAME wine_session_stop COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} --session-stop)
    set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
    set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
endif()

# frayline_discover_tests(<target> [LABELS <label>...] [PROPERTIES <name> <value>...])
#
# Registers every GoogleTest case of <target> with CTest, labelled. Label the
# suites that must pass on every build (both Linux widths, both Windows
# widths) `portable`, and tests that draw with GL `gl`.
function(frayline_discover_tests target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "LABELS;PROPERTIES")

    if(WIN32 AND CMAKE_CROSSCOMPILING_EMULATOR)
        # Listing the tests by running every program under Wine at build time
        # is slow, and under qemu's 32-bit Wine it fails now and then; read
        # the test names from the sources instead. (Value-parameterised
        # suites are listed only by pattern; none of them is portable.)
        gtest_add_tests(TARGET ${target} TEST_LIST tests)
        # A Wine that loses its server waits for ever: fail instead.
        set_tests_properties(${tests} PROPERTIES
            LABELS "${arg_LABELS}" FIXTURES_REQUIRED wine_session TIMEOUT 300 ${arg_PROPERTIES})
        return()
    endif()
    # Discovery runs the program, under qemu or Wine when cross-compiling:
    # give it time.
    gtest_discover_tests(${target} DISCOVERY_TIMEOUT 120 PROPERTIES ${arg_PROPERTIES})

    # gtest_discover_tests flattens list-valued properties on their way to
    # the generated script (two labels become a label and a bogus property
    # name), so labels and the Wine fixture are set by a script of our own
    # that CTest reads after the discovered list.
    set(properties "")
    if(arg_LABELS)
        string(APPEND properties " LABELS [==[${arg_LABELS}]==]")
    endif()
    if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SIZEOF_VOID_P EQUAL 4)
        # Programs a test starts itself (frayline-render) run under qemu
        # through binfmt_misc, whose default CPU model crashes llvmpipe.
        string(APPEND properties " ENVIRONMENT QEMU_CPU=Nehalem,-lm,-syscall")
    endif()
    if(properties)
        set(script "${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake")
        file(WRITE "${script}"
            "if(${target}_TESTS)\n"
            "    set_tests_properties(\${${target}_TESTS} PROPERTIES${properties})\n"
            "endif()\n")
        set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${script}")
    endif()
endfunction()
