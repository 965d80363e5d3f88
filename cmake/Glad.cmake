# Generates the GL function loader (glad 2, on-demand binding) into the build
# tree at configure time and exposes it as the static library frayline_glad (hidden symbols, so
# the plugin exports none of them).
# Every entry point binds itself on its first call, in the context current
# then, so nothing ever calls a loader initialisation.

find_program(GLAD_EXECUTABLE glad REQUIRED)
set(FRAYLINE_GLAD_DIR "${CMAKE_BINARY_DIR}/glad")
if(NOT EXISTS "${FRAYLINE_GLAD_DIR}/src/gl.c")
    execute_process(
        COMMAND "${GLAD_EXECUTABLE}" --quiet --reproducible
                --api gl:compatibility=2.0 --extensions ""
                --out-path "${FRAYLINE_GLAD_DIR}" c --loader --on-demand
        RESULT_VARIABLE gladResult)
    if(NOT gladResult EQUAL 0)
        message(FATAL_ERROR "glad failed to generate the GL loader (${gladResult})")
    endif()
endif()

add_library(frayline_glad STATIC "${FRAYLINE_GLAD_DIR}/src/gl.c")
target_include_directories(frayline_glad SYSTEM PUBLIC "${FRAYLINE_GLAD_DIR}/include")
set_target_properties(frayline_glad PROPERTIES
    C_VISIBILITY_PRESET hidden
    POSITION_INDEPENDENT_CODE ON)
target_link_libraries(frayline_glad PUBLIC ${CMAKE_DL_LIBS})
