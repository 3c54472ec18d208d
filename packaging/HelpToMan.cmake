# Writes the man page of a program from its --help and --version output, so every
# command the help lists is in the page without a second text to keep in step.
#   cmake -DPROGRAM=path/to/halden -DNAME=halden -DSUMMARY="..." -DOUTPUT=halden.1 -P HelpToMan.cmake
#
# The help is read as the program prints it: a "Usage:" line, a paragraph saying what
# the program does, then sections headed "Title:" at the margin. Inside a section an
# entry starts two spaces in (its text, or "term  description" on one line), its
# description is indented further (a head too long for one line goes on seven spaces
# in, before its description), and a line at the margin is a paragraph.

foreach(required PROGRAM NAME SUMMARY OUTPUT)
    if(NOT DEFINED ${required})
        message(FATAL_ERROR "HelpToMan.cmake needs -D${required}=...")
    endif()
endforeach()

execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE helpResult)
if(NOT helpResult EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} --help failed (${helpResult})")
endif()
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE version
    OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE versionResult)
if(NOT versionResult EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --version failed (${versionResult})")
endif()

# Text as roff shows it literally. Square brackets and semicolons would cut CMake's
# lists at the wrong places, so they travel as stand-ins until the page is written.
function(roff_text out text)
    string(REPLACE "\\" "\\e" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REGEX REPLACE "^([.'])" "\\\\&\\1" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

string(REPLACE "[" "@LB@" help "${help}")
string(REPLACE "]" "@RB@" help "${help}")
string(REPLACE ";" "@SC@" help "${help}")
string(REPLACE "\n" ";" lines "${help}")

string(TOUPPER "${NAME}" upperName)
string(TIMESTAMP today "%Y-%m-%d" UTC)
set(page ".TH ${upperName} 1 \"${today}\" \"${version}\" \"User Commands\"\n")
string(APPEND page ".SH NAME\n${NAME} \\- ${SUMMARY}\n")

# An entry's head is written once its description begins, since it may run on over
# several lines; inItem: inside an entry, head: its head while no description came yet.
macro(flush_head)
    if(NOT head STREQUAL "")
        string(APPEND page ".TP\n.B ${head}\n")
        set(head "")
    endif()
endmacro()

set(state start)
set(inItem FALSE)
set(head "")
set(paragraphOpen FALSE)
foreach(line IN LISTS lines)
    string(REGEX REPLACE "[ \t]+$" "" line "${line}")
    if(line MATCHES "^Usage: (.*)$")
        roff_text(synopsis "${CMAKE_MATCH_1}")
        string(APPEND page ".SH SYNOPSIS\n${synopsis}\n.SH DESCRIPTION\n")
        set(state description)
    elseif(line STREQUAL "")
        flush_head()
        if(NOT inItem)
            set(paragraphOpen FALSE)
        endif()
    elseif(line MATCHES "^([A-Z][A-Za-z ]*):$")
        flush_head()
        string(TOUPPER "${CMAKE_MATCH_1}" title)
        string(APPEND page ".SH ${title}\n")
        set(state section)
        set(inItem FALSE)
        set(paragraphOpen FALSE)
    elseif(state STREQUAL "section" AND line MATCHES "^  ([^ ].*)$")
        flush_head()
        # "term  description" when the two share the line.
        set(term "${CMAKE_MATCH_1}")
        set(body "")
        if(term MATCHES "^([^ ]+( [^ ]+)*)  +(.*)$")
            set(term "${CMAKE_MATCH_1}")
            set(body "${CMAKE_MATCH_3}")
        endif()
        roff_text(head "${term}")
        if(NOT body STREQUAL "")
            flush_head()
            roff_text(body "${body}")
            string(APPEND page "${body}\n")
        endif()
        set(inItem TRUE)
    elseif(inItem AND line MATCHES "^   +(.*)$")
        roff_text(text "${CMAKE_MATCH_1}")
        if(NOT head STREQUAL "" AND line MATCHES "^       [^ ]")
            string(APPEND head " ${text}")
        else()
            flush_head()
            string(APPEND page "${text}\n")
        endif()
    else()
        flush_head()
        string(REGEX REPLACE "^ +" "" line "${line}")
        roff_text(text "${line}")
        if(state STREQUAL "section" AND (inItem OR NOT paragraphOpen))
            string(APPEND page ".PP\n")
            set(paragraphOpen TRUE)
        endif()
        set(inItem FALSE)
        string(APPEND page "${text}\n")
    endif()
endforeach()
flush_head()

string(REPLACE "@LB@" "[" page "${page}")
string(REPLACE "@RB@" "]" page "${page}")
string(REPLACE "@SC@" ";" page "${page}")
file(WRITE ${OUTPUT} "${page}")
