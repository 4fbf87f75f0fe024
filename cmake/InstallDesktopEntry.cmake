# Runs at install time. The desktop entry names the program by its absolute
# installed path: a menu started from a session whose PATH lacks the install
# folder (~/.local/bin often is) would otherwise find no program to start.
# The prefix is the one given at install time (cmake --install --prefix);
# DESTDIR stays out of the path the entry names.
#
# Set by the rule that includes this file: TAVIMO_DESKTOP_SOURCE (the entry
# with a plain "Exec=tavimo"), TAVIMO_DESKTOP_WORK (where the installed form is
# written first), TAVIMO_BINDIR and TAVIMO_DATADIR (as GNUInstallDirs gives them).

get_filename_component(tavimo_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
if(IS_ABSOLUTE "${TAVIMO_BINDIR}")
    set(tavimo_program "${TAVIMO_BINDIR}/tavimo")
else()
    set(tavimo_program "${tavimo_prefix}/${TAVIMO_BINDIR}/tavimo")
endif()
if(tavimo_program MATCHES "[\r\n\t]")
    message(FATAL_ERROR "A desktop entry cannot name the program at \"${tavimo_program}\"")
endif()

# The Exec key's own quoting: a path with anything beyond plain characters is
# put in double quotes, inside which ", `, $ and \ take a backslash; then the
# value's escaping doubles every backslash, and % is written %%.
set(tavimo_exec "${tavimo_program}")
if(tavimo_exec MATCHES "[^A-Za-z0-9_./+,:@=-]")
    string(REPLACE "\\" "\\\\" tavimo_exec "${tavimo_exec}")
    string(REPLACE "\"" "\\\"" tavimo_exec "${tavimo_exec}")
    string(REPLACE "$" "\\$" tavimo_exec "${tavimo_exec}")
    string(REPLACE "`" "\\`" tavimo_exec "${tavimo_exec}")
    set(tavimo_exec "\"${tavimo_exec}\"")
endif()
string(REPLACE "\\" "\\\\" tavimo_exec "${tavimo_exec}")
string(REPLACE "%" "%%" tavimo_exec "${tavimo_exec}")

file(READ "${TAVIMO_DESKTOP_SOURCE}" tavimo_entry)
# A plain replacement: a regular expression's would take the backslashes.
string(REGEX MATCH "\nExec=[^\n]*" tavimo_exec_line "${tavimo_entry}")
string(REPLACE "${tavimo_exec_line}" "\nExec=${tavimo_exec}" tavimo_entry "${tavimo_entry}")
file(WRITE "${TAVIMO_DESKTOP_WORK}/tavimo.desktop" "${tavimo_entry}")
set(tavimo_datadir "${TAVIMO_DATADIR}")
if(NOT IS_ABSOLUTE "${tavimo_datadir}")
    set(tavimo_datadir "${tavimo_prefix}/${tavimo_datadir}")
endif()
file(INSTALL DESTINATION "${tavimo_datadir}/applications" TYPE FILE
     FILES "${TAVIMO_DESKTOP_WORK}/tavimo.desktop")
