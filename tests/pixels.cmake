# Pixel tests: the shader wrapper, the shader texts and frame rendering drawn
# on the real driver and compared with a CPU model of the fragment shader.
# Included at the end of tests/CMakeLists.txt.

add_library(frayline_pixel_support STATIC
    support/ShaderModel.cpp
    support/PixelFixture.cpp)
target_include_directories(frayline_pixel_support PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
target_link_libraries(frayline_pixel_support PUBLIC frayline_host GTest::gtest)

# In-process: the plugin's objects with the controllable clock, a context
# from the reference host, the loader's pointers shared with the plugin
# (support/GLCallCounter.h) and the allocation counter
# (support/AllocationCounter.h).
add_executable(frayline_unit_gl_tests
    unit/ShaderTest.cpp
    unit/RenderFrameTest.cpp
    support/AllocationCounter.cpp
    support/GLCallCounter.cpp
    support/FakeCounter.cpp)
target_link_libraries(frayline_unit_gl_tests PRIVATE
    frayline_core frayline_pixel_support GTest::gtest_main)
if(NOT WIN32)
    target_compile_definitions(frayline_unit_gl_tests PRIVATE FRAYLINE_WRAP_MALLOC)
    target_link_options(frayline_unit_gl_tests PRIVATE
        -Wl,--wrap=malloc -Wl,--wrap=calloc -Wl,--wrap=realloc)
endif()
frayline_discover_tests(frayline_unit_gl_tests LABELS gl)

# Through the built plugin, loaded as a host loads it.
add_executable(frayline_e2e_render_tests e2e/RenderTest.cpp)
# One small picture, labelled to run on every build (the emulated ones too).
add_executable(frayline_e2e_portable_render_tests e2e/PortableRenderTest.cpp)
foreach(target frayline_e2e_render_tests frayline_e2e_portable_render_tests)
    target_link_libraries(${target} PRIVATE frayline_pixel_support GTest::gtest_main)
    target_compile_definitions(${target} PRIVATE FRAYLINE_PLUGIN_PATH="$<TARGET_FILE:frayline>")
    add_dependencies(${target} frayline)
endforeach()
frayline_discover_tests(frayline_e2e_render_tests LABELS gl)
frayline_discover_tests(frayline_e2e_portable_render_tests LABELS gl portable)
