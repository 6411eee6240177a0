# The install works after building only the program's target, as scripts/run does: the drawn icon is
# removed, the program's target built, the build installed under a temporary prefix, and the installed
# tree must hold the program, its desktop entry and its icon.
#
# cmake -D BUILD_DIR=... -D ICON=... -D PREFIX=... -P InstallCheck.cmake
foreach(var BUILD_DIR ICON PREFIX)
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
foreach(file bin/tessaline share/applications/tessaline.desktop share/icons/hicolor/128x128/apps/tessaline.png)
    if(NOT EXISTS ${PREFIX}/${file})
        list(APPEND missing ${file})
    endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
if(missing)
    message(FATAL_ERROR "the installed tree lacks: ${missing}\n${install_log}")
endif()
message(STATUS "installed: program, desktop entry and icon")
