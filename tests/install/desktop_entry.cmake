# Installs the desktop entry alone into a scratch prefix whose name needs the
# Exec key's quoting, and checks that it names the installed program by its
# absolute path and that desktop-file-validate accepts it.
#
#     cmake -DBUILD_DIR=build -DWORK_DIR=scratch -P desktop_entry.cmake

set(prefix "${WORK_DIR}/a prefix$")
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component desktop
                        --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing the desktop entry failed: ${result}")
endif()
file(GLOB_RECURSE entries "${prefix}/*/applications/tavimo.desktop")
list(LENGTH entries count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one installed tavimo.desktop, found: ${entries}")
endif()
file(STRINGS "${entries}" exec REGEX "^Exec=")
get_filename_component(absolute "${prefix}" ABSOLUTE)
file(STRINGS "${BUILD_DIR}/CMakeCache.txt" bin REGEX "^CMAKE_INSTALL_BINDIR:")
string(REGEX REPLACE "^[^=]*=" "" bin "${bin}")
# "a prefix$" is quoted, its $ escaped and that backslash escaped again.
string(REPLACE "$" "\\\\$" expected "${absolute}/${bin}/tavimo")
set(expected "Exec=\"${expected}\"")
if(NOT exec STREQUAL expected)
    message(FATAL_ERROR "installed ${exec}\nexpected  ${expected}")
endif()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${entries}" RESULT_VARIABLE result
                    OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT result EQUAL 0 OR NOT out STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate: ${out}")
    endif()
else()
    message(STATUS "desktop-file-validate is not installed; the entry was not validated")
endif()
message(STATUS "${exec}")
