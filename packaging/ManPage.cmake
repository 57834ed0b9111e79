# Writes a gzipped manual page from a program's --help text:
#   cmake -DPROGRAM=<exe> -DNAME=<name> -DSUMMARY=<one line> -DVERSION=<v> [-DEXTRA=<roff file>]
#         -DOUTPUT=<page.1.gz> -P ManPage.cmake
# The usage text becomes the synopsis as it stands; EXTRA (roff) is appended after it.
foreach(variable PROGRAM NAME SUMMARY VERSION OUTPUT)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "ManPage.cmake needs -D${variable}=...")
    endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE usage RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR usage STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} --help failed (${status})")
endif()

# roff: a backslash is written \e; a line may not start with a control character.
string(REPLACE "\\" "\\e" usage "${usage}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" usage "${usage}")
string(REGEX REPLACE "\n$" "" usage "${usage}")
string(TOUPPER "${NAME}" title)
string(REPLACE "-" "\\-" summary "${SUMMARY}")

set(page ".TH ${title} 1 \"\" \"vg28 ${VERSION}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${summary}\n")
string(APPEND page ".SH SYNOPSIS\n.nf\n${usage}\n.fi\n")
if(DEFINED EXTRA AND NOT EXTRA STREQUAL "")
    file(READ ${EXTRA} extra)
    string(APPEND page "${extra}")
endif()

get_filename_component(folder ${OUTPUT} DIRECTORY)
get_filename_component(plain ${OUTPUT} NAME_WLE)
set(plainPath ${folder}/${plain})
file(WRITE ${plainPath} "${page}")
file(REMOVE ${OUTPUT})
file(ARCHIVE_CREATE OUTPUT ${OUTPUT} PATHS ${plainPath} FORMAT raw COMPRESSION GZip)
