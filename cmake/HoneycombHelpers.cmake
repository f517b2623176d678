# Shared build settings for the project's own targets.

# Our code is built with -Wall -Wextra (never third-party headers, which come in as SYSTEM).
# The project's own builds (scripts/setup, and so ./test and CI) make every warning an error
# with HC_WERROR; a plain build of a release does not, so that a newer compiler's new warning
# never stops someone from building it.
option(HC_WERROR "Treat warnings in the project's own code as errors" OFF)

function(hc_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra)
    # GCC 12 warns wrongly about "text" + std::string once optimising (-Wrestrict on libstdc++'s
    # own memcpy; GCC bug 105329): that one warning is off for GCC before 13.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${target} PRIVATE -Wno-restrict)
    endif()
    if(HC_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# hc_add_test(NAME name SOURCES ... LIBS ... [GUI] [LABELS ...])
# A GoogleTest executable registered with CTest. Every test runs in its own fresh temporary
# directory (the fixture creates it), never in the source tree. GUI tests run on Qt's
# offscreen platform so they need no display.
function(hc_add_test)
    cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    hc_warnings(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    set(env "ASAN_OPTIONS=detect_leaks=0:abort_on_error=0"
            "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
            "HC_TOOL_DIR=${HC_TOOL_DIR}"
            "HC_PROGRAM_DIR=${HC_PROGRAM_DIR}"
            "HC_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    if(T_GUI)
        list(APPEND env "QT_QPA_PLATFORM=offscreen" "SDL_AUDIODRIVER=dummy")
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" LABELS "${T_LABELS}")
endfunction()
