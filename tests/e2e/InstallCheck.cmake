# The install works after building only the program's target, as scripts/run does: the drawn icon is
# removed, the program's target built, the build installed under a temporary prefix, and the installed
# tree must hold the programs, the desktop entry and the icon. The installed `tessaline` must then start
# the installed desktop program.
#
# cmake -D BUILD_DIR=... -D ICON=... -D PREFIX=... -D DESKTOP_DIR=... -P InstallCheck.cmake
foreach(var BUILD_DIR ICON PREFIX DESKTOP_DIR)
    if(NOT DEFINED ${var})
        message(FATAL_ERROR "InstallCheck: ${var} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE ${PREFIX})
file(REMOVE ${ICON})

execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target tessaline
    RESULT_VARIABLE built OUTPUT_VARIABLE build_log ERROR_VARIABLE build_log)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "building the program's target failed:\n${build_log}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE installed OUTPUT_VARIABLE install_log ERROR_VARIABLE install_log)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed after building only the program:\n${install_log}")
endif()

set(missing "")
foreach(file bin/tessaline ${DESKTOP_DIR}/tessaline-desktop ${DESKTOP_DIR}/libtessaline-print.so
        share/applications/tessaline.desktop
        share/icons/hicolor/128x128/apps/tessaline.png)
    if(NOT EXISTS ${PREFIX}/${file})
        list(APPEND missing ${file})
    endif()
endforeach()
if(missing)
    file(REMOVE_RECURSE ${PREFIX})
    message(FATAL_ERROR "the installed tree lacks: ${missing}\n${install_log}")
endif()

# Told of a display that does not exist, the desktop program's toolkit names it: the installed tessaline
# found the installed desktop program.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
    ${PREFIX}/bin/tessaline -platform tessaline-no-such-display
    RESULT_VARIABLE started OUTPUT_VARIABLE start_log ERROR_VARIABLE start_log)
file(REMOVE_RECURSE ${PREFIX})
if(NOT start_log MATCHES "\"tessaline-no-such-display\"")
    message(FATAL_ERROR "the installed tessaline did not start the installed desktop program:\n${start_log}")
endif()
message(STATUS "installed: the programs, desktop entry and icon; tessaline starts the desktop program")
