# Installs the build into a fresh prefix and runs the installed vantrel-plan:
# the install rules put every file in place and the programs run from there.
#   cmake -DBUILD_DIR=... -DPREFIX=... [-DWITH_BOARD=ON] [-DWITH_MAN=ON] -P install_test.cmake
foreach(variable BUILD_DIR PREFIX)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

set(expected bin/vantrel bin/vantrel-plan bin/vantrel-ctl bin/vantrel-scpi share/applications/vantrel.desktop
    share/icons/hicolor/48x48/apps/vantrel.png share/pixmaps/vantrel.png share/doc/vantrel/README.md
    share/doc/vantrel/docs/control-panel.png share/metainfo/org.vantrel.vantrel.metainfo.xml)
if(WITH_BOARD)
    list(APPEND expected bin/vantrel-board)
endif()
if(WITH_MAN)
    list(APPEND expected share/man/man1/vantrel.1.gz share/man/man1/vantrel-ctl.1.gz)
endif()
foreach(file IN LISTS expected)
    if(NOT EXISTS "${PREFIX}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

# A PNG's header holds its width and height as 32-bit big-endian numbers.
function(check_png_size file width height)
    file(READ "${PREFIX}/${file}" header OFFSET 16 LIMIT 8 HEX)
    string(SUBSTRING "${header}" 0 8 w)
    string(SUBSTRING "${header}" 8 8 h)
    math(EXPR w "0x${w}")
    math(EXPR h "0x${h}")
    if(NOT (w EQUAL width AND h EQUAL height))
        message(FATAL_ERROR "${file} is ${w} x ${h}, not ${width} x ${height}")
    endif()
endfunction()
check_png_size(share/icons/hicolor/48x48/apps/vantrel.png 48 48)
check_png_size(share/pixmaps/vantrel.png 48 28)

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${PREFIX}/share/applications/vantrel.desktop"
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT output STREQUAL "")
        message(FATAL_ERROR "desktop-file-validate:\n${output}")
    endif()
endif()

execute_process(COMMAND "${PREFIX}/bin/vantrel-plan" --fout 2320.5 --mux lock --charge-pump 7 --no-mute
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "installed vantrel-plan exited with ${status}:\n${output}${errors}")
endif()
string(REGEX MATCH "^[^\n]*" first_line "${output}")
if(NOT first_line STREQUAL "Fcomp  10.00MHz")
    message(FATAL_ERROR "installed vantrel-plan printed \"${first_line}\" first, not \"Fcomp  10.00MHz\"")
endif()

# vantrel-ctl needs a board for anything but its help and a usage error.
execute_process(COMMAND "${PREFIX}/bin/vantrel-ctl" sweep 2400 2300 0.1 --port 1
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT status EQUAL 2 OR NOT error MATCHES "leads away")
    message(FATAL_ERROR "installed vantrel-ctl: status ${status}, \"${error}\"")
endif()

# vantrel-scpi holds a port; without one it says so, and it knows its version.
execute_process(COMMAND "${PREFIX}/bin/vantrel-scpi" --listen nowhere --port 1
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT status EQUAL 2 OR NOT error MATCHES "--listen nowhere")
    message(FATAL_ERROR "installed vantrel-scpi: status ${status}, \"${error}\"")
endif()
execute_process(COMMAND "${PREFIX}/bin/vantrel-scpi" --version
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error)
if(NOT status EQUAL 0 OR NOT output MATCHES "^vantrel-scpi ")
    message(FATAL_ERROR "installed vantrel-scpi --version: status ${status}, \"${output}${error}\"")
endif()

file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed into ${PREFIX} and ran bin/vantrel-plan: ${first_line}")
