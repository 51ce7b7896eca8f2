# Makes the Debian package with CPack and checks it as Debian would: the
# maintainer given to the build, the files it must hold, `man vantrel-ctl`
# from what it installs, and lintian with no error-level tag. The warnings
# and notes lintian gives are printed.
#   cmake -DCPACK=... -DBUILD_DIR=... -DWORK_DIR=... -DMAINTAINER=... -P package_test.cmake
set(missing "")
foreach(tool dpkg-deb lintian man)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        list(APPEND missing ${tool})
    endif()
endforeach()
if(missing)
    message(STATUS "SKIPPED: ${missing} not installed (scripts/setup.sh installs them)")
    return()
endif()

file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${CPACK}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK_DIR}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
file(GLOB package "${WORK_DIR}/*.deb")
list(LENGTH package count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack failed (${status}):\n${output}")
endif()

execute_process(COMMAND "${found_dpkg-deb}" -f "${package}" Maintainer OUTPUT_VARIABLE maintainer
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT maintainer STREQUAL MAINTAINER)
    message(FATAL_ERROR "Maintainer is \"${maintainer}\", not VANTREL_MAINTAINER \"${MAINTAINER}\"")
endif()
execute_process(COMMAND "${found_dpkg-deb}" -f "${package}" Depends OUTPUT_VARIABLE depends)
if(NOT depends MATCHES "libqt6core6 \\(>= ")
    message(FATAL_ERROR "Depends was not worked out from the programs: \"${depends}\"")
endif()
execute_process(COMMAND "${found_dpkg-deb}" -c "${package}" OUTPUT_VARIABLE contents)
foreach(file usr/share/doc/vantrel/copyright usr/share/doc/vantrel/changelog.gz usr/share/man/man1/vantrel.1.gz
             usr/share/man/man1/vantrel-plan.1.gz usr/share/man/man1/vantrel-ctl.1.gz
             usr/share/man/man1/vantrel-scpi.1.gz usr/share/man/man1/vantrel-board.1.gz
             usr/share/metainfo/org.vantrel.vantrel.metainfo.xml usr/share/applications/vantrel.desktop)
    if(NOT contents MATCHES " \\./${file}\n")
        message(FATAL_ERROR "the package holds no ${file}:\n${contents}")
    endif()
endforeach()

# What `man vantrel-ctl` shows once the package is installed.
execute_process(COMMAND "${found_dpkg-deb}" -x "${package}" "${WORK_DIR}/root" RESULT_VARIABLE status)
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 MANWIDTH=80
                        "${found_man}" -P cat -M "${WORK_DIR}/root/usr/share/man" vantrel-ctl
                RESULT_VARIABLE status OUTPUT_VARIABLE page ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT page MATCHES "vantrel-ctl - drive the synthesizer board from a shell"
   OR NOT page MATCHES "EXIT STATUS")
    message(FATAL_ERROR "man vantrel-ctl (${status}):\n${page}${errors}")
endif()

execute_process(COMMAND "${found_lintian}" --info --display-level ">=pedantic" "${package}"
                RESULT_VARIABLE status OUTPUT_VARIABLE tags ERROR_VARIABLE errors)
message(STATUS "lintian ${package}:\n${tags}")
if(tags MATCHES "(^|\n)E: " OR NOT status EQUAL 0)
    message(FATAL_ERROR "lintian found errors (${status}):\n${tags}${errors}")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
