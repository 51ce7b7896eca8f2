# Makes one man page from a program's --help and --version with help2man,
# the hand-written sections of INCLUDE added (exit status, files, examples),
# and its copy compressed as Debian installs man pages.
#   cmake -DHELP2MAN=... -DGZIP=... -DPROGRAM=... -DNAME=... -DINCLUDE=... -DOUTPUT=page.1 -P make_man_page.cmake
foreach(variable HELP2MAN GZIP PROGRAM NAME INCLUDE OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

# The C locale, so that help2man's own words and the date are in English.
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LC_ALL=C.UTF-8 LANGUAGE=
                        "${HELP2MAN}" --no-info --name "${NAME}" --include "${INCLUDE}" --output "${OUTPUT}"
                        "${PROGRAM}"
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "help2man ${PROGRAM} failed (${status}): ${errors}")
endif()
# -n: no name or time in the header, so that the same page compresses the same.
execute_process(COMMAND "${GZIP}" -9 -n -c "${OUTPUT}" OUTPUT_FILE "${OUTPUT}.gz" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${OUTPUT} failed (${status})")
endif()
