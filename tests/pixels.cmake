# Pixel tests: the shader wrapper, the shader texts and frame rendering drawn
# on the real driver and compared with a CPU model of the fragment shader.
# Included at the end of tests/CMakeLists.txt.

add_library(frayline_pixel_support STATIC
    support/ShaderModel.cpp
    support/PixelFixture.cpp)
target_include_directories(frayline_pixel_support PUBLIC "${CMAKE_CURRENT_SOURCE_DIR}")
target_link_libraries(frayline_pixel_support PUBLIC frayline_host GTest::gtest)
