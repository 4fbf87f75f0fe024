# Installs the desktop entry, its icons and the bundled data into a scratch
# prefix whose name needs the Exec key's quoting, and checks that the entry
# names the installed program by its absolute path, that desktop-file-validate
# accepts it, and that the entry and icons lie only where desktops look for
# them: the bundled data holds no copy of their sources.
#
#     cmake -DBUILD_DIR=build -DWORK_DIR=scratch -P desktop_entry.cmake

set(prefix "${WORK_DIR}/a prefix$")
file(REMOVE_RECURSE "${WORK_DIR}")
foreach(component desktop data)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component ${component}
                            --prefix "${prefix}"
                    RESULT_VARIABLE result OUTPUT_QUIET)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "installing the ${component} component failed: ${result}")
    endif()
endforeach()
file(GLOB_RECURSE entries "${prefix}/*/applications/tavimo.desktop")
list(LENGTH entries count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one installed tavimo.desktop, found: ${entries}")
endif()
# The data folder the menu entry went to holds the icons and the bundled data.
get_filename_component(share "${entries}" DIRECTORY)
get_filename_component(share "${share}" DIRECTORY)
foreach(installed tavimo/tavimo.cfg icons/hicolor/scalable/apps/tavimo.svg
                  icons/hicolor/16x16/apps/tavimo.png icons/hicolor/256x256/apps/tavimo.png)
    if(NOT EXISTS "${share}/${installed}")
        message(FATAL_ERROR "${share}/${installed} was not installed")
    endif()
endforeach()
file(GLOB_RECURSE strays "${share}/tavimo/*.desktop" "${share}/tavimo/*.svg"
     "${share}/tavimo/*tavimo-*.png")
if(strays OR EXISTS "${share}/tavimo/desktop")
    message(FATAL_ERROR "the bundled data holds what belongs to desktops: ${strays}")
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
