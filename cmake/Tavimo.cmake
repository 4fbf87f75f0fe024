# Shared build rules. Sources are collected per folder so that adding a file
# never means editing a list in another folder.

set(TAVIMO_WARNINGS -Wall -Wextra -Werror)
set(TAVIMO_SOURCE_DATA_DIR "${CMAKE_SOURCE_DIR}/data")

function(tavimo_warnings target)
    target_compile_options(${target} PRIVATE ${TAVIMO_WARNINGS})
endfunction()

# A static library made of every .cpp/.h in the calling folder (recursively).
function(tavimo_library target)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB_RECURSE sources CONFIGURE_DEPENDS
         "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    if(NOT sources)
        set(placeholder "${CMAKE_CURRENT_BINARY_DIR}/${target}_empty.cpp")
        file(WRITE "${placeholder}" "// This library has no sources yet.\n")
        set(sources "${placeholder}")
    endif()
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC "${CMAKE_SOURCE_DIR}/src")
    target_link_libraries(${target} PUBLIC ${ARG_LINKS})
    tavimo_warnings(${target})
endfunction()

# One QtTest executable per tst_*.cpp in the calling folder, each a CTest test.
# Tests run headless; LABELS lets a run pick a group (ctest -L core).
function(tavimo_tests label)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB tests CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
    foreach(test_source ${tests})
        get_filename_component(name "${test_source}" NAME_WE)
        add_executable(${name} "${test_source}")
        target_link_libraries(${name} PRIVATE ${ARG_LINKS} tavimo_testsupport Qt6::Test)
        target_compile_definitions(${name} PRIVATE
            TAVIMO_SOURCE_DATA_DIR="${TAVIMO_SOURCE_DATA_DIR}")
        tavimo_warnings(${name})
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES
            LABELS "${label}"
            TIMEOUT 300
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=*.debug=false")
    endforeach()
endfunction()

# One executable per bench_*.cpp in the calling folder; benchmarks print, never assert.
function(tavimo_benchmarks)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB benches CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/bench_*.cpp")
    foreach(bench_source ${benches})
        get_filename_component(name "${bench_source}" NAME_WE)
        add_executable(${name} "${bench_source}")
        target_link_libraries(${name} PRIVATE ${ARG_LINKS})
        target_compile_definitions(${name} PRIVATE
            TAVIMO_SOURCE_DATA_DIR="${TAVIMO_SOURCE_DATA_DIR}")
        tavimo_warnings(${name})
    endforeach()
endfunction()
