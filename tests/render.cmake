# frayline-render: its command line and PNG files in-process, and the built
# tool end to end (errors, a render checked against the CPU model of the
# shader, the raw pipe). Included at the end of tests/CMakeLists.txt; the
# tool is not built everywhere (tools/CMakeLists.txt says where).

# Registered through cmake/GTest.cmake's helper where the build has it.
function(frayline_render_discover target label)
    if(COMMAND frayline_discover_tests)
        frayline_discover_tests(${target} LABELS ${label})
    else()
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS ${label})
    endif()
endfunction()

if(TARGET frayline-render)
    add_executable(frayline_render_unit_tests
        render/CommandLineTest.cpp
        render/ImageTest.cpp)
    target_link_libraries(frayline_render_unit_tests PRIVATE frayline_render_core GTest::gtest_main)
    target_compile_definitions(frayline_render_unit_tests PRIVATE
        FRAYLINE_PLUGIN_PATH="$<TARGET_FILE:frayline>")
    add_dependencies(frayline_render_unit_tests frayline)
    frayline_render_discover(frayline_render_unit_tests portable)
endif()

# The built tool run as a user runs it; pictures compared with the model of
# the shader (frayline_pixel_support, from pixels.cmake).
if(TARGET frayline-render)
    add_executable(frayline_render_tool_tests render/RenderToolTest.cpp)
    # frayline_pixel_support may be defined after this file is read.
    target_link_libraries(frayline_render_tool_tests PRIVATE
        frayline_render_core frayline_pixel_support GTest::gtest_main)
    target_compile_definitions(frayline_render_tool_tests PRIVATE
        FRAYLINE_RENDER_PATH="$<TARGET_FILE:frayline-render>"
        FRAYLINE_NO_PLUGMAIN_PATH="$<TARGET_FILE:frayline_test_no_plugmain>")
    add_dependencies(frayline_render_tool_tests frayline-render frayline_test_no_plugmain)
    frayline_render_discover(frayline_render_tool_tests gl)
endif()
