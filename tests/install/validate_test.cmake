# A file of the package checked by the tool Debian checks it with: the
# desktop entry by desktop-file-validate, the AppStream metainfo by
# appstreamcli (pedantic, without the network). Anything they find fails.
#   cmake -DTOOL=desktop-file-validate|appstreamcli -DFILE=... -P validate_test.cmake
find_program(tool ${TOOL})
if(NOT tool)
    message(STATUS "SKIPPED: ${TOOL} is not installed (scripts/setup.sh installs it)")
    return()
endif()
if(TOOL STREQUAL "appstreamcli")
    set(command "${tool}" validate --pedantic --no-net "${FILE}")
else()
    set(command "${tool}" "${FILE}")
endif()
execute_process(COMMAND ${command} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
message(STATUS "${TOOL} ${FILE}:\n${output}")
# appstreamcli names each finding on a line of its own, "E:", "W:", "I:" or "P:" first.
if(NOT status EQUAL 0 OR output MATCHES "(^|\n)[EWIP]: " OR (TOOL STREQUAL "desktop-file-validate" AND NOT output STREQUAL ""))
    message(FATAL_ERROR "${TOOL} does not accept ${FILE} (${status})")
endif()
