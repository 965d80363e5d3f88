# Robustness: the lifecycle stress test, and (FRAYLINE_FUZZ, clang only) the
# libFuzzer target on plugMain with its seed corpus, run bounded as a test.
# Included at the end of tests/CMakeLists.txt.

# Leak checks skip the GL driver's own internals (see the file), never ours.
set(lsanOptions "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_SOURCE_DIR}/sanitizers/lsan-mesa.supp")

add_executable(frayline_stress_tests stress/LifecycleStressTest.cpp)
target_link_libraries(frayline_stress_tests PRIVATE frayline_host GTest::gtest_main)
target_compile_definitions(frayline_stress_tests PRIVATE FRAYLINE_PLUGIN_PATH="$<TARGET_FILE:frayline>")
add_dependencies(frayline_stress_tests frayline)
if(COMMAND frayline_discover_tests)
    frayline_discover_tests(frayline_stress_tests LABELS gl PROPERTIES ENVIRONMENT "${lsanOptions}")
else()
    gtest_discover_tests(frayline_stress_tests DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS gl ENVIRONMENT "${lsanOptions}")
endif()

if(FRAYLINE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "FRAYLINE_FUZZ needs clang (libFuzzer): use the linux-x64-fuzz preset")
    endif()
    # The linux-x64-fuzz preset compiles everything with
    # -fsanitize=fuzzer-no-link,address,undefined, so the plugin's sources
    # linked in here carry coverage; only this target links the fuzzer's main.
    add_executable(frayline_plugmain_fuzzer fuzz/PlugMainFuzzer.cpp)
    target_link_libraries(frayline_plugmain_fuzzer PRIVATE
        frayline_core frayline_counter frayline_host)
    target_link_options(frayline_plugmain_fuzzer PRIVATE -fsanitize=fuzzer)

    # Bounded in time. New inputs go to the build tree; the committed seeds
    # are only read.
    set(FRAYLINE_FUZZ_SECONDS 60 CACHE STRING "How long the fuzz test runs")
    set(fuzzWork "${CMAKE_CURRENT_BINARY_DIR}/fuzz")
    file(MAKE_DIRECTORY "${fuzzWork}/corpus" "${fuzzWork}/artifacts")
    add_test(NAME plugmain_fuzz
        COMMAND frayline_plugmain_fuzzer
                -max_total_time=${FRAYLINE_FUZZ_SECONDS} -timeout=60 -rss_limit_mb=4096
                -print_final_stats=1 "-artifact_prefix=${fuzzWork}/artifacts/"
                "${fuzzWork}/corpus" "${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus")
    math(EXPR fuzzTimeout "${FRAYLINE_FUZZ_SECONDS} + 300")
    set_tests_properties(plugmain_fuzz PROPERTIES LABELS "fuzz;gl" TIMEOUT ${fuzzTimeout}
        ENVIRONMENT "${lsanOptions}")
endif()
