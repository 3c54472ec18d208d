# cmake -DMANIFEST=resources/programmer.res -DOUTPUT=out.cpp -P EmulatedParts.cmake
# Writes the emulator's built-in part table (name, part index, chip ID, flash size,
# option-byte count, the parameter bytes CMD_OPEN_TARGET carries for the part) from the
# chip descriptors the manifest lists, so the emulator and the link library carry the
# parts as plain data and link nothing of the programmer.
get_filename_component(base ${MANIFEST} DIRECTORY)
file(STRINGS ${MANIFEST} lines)
set(rows "")
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^DYNAMIC[ \t]+([0-9]+)[ \t]+table[ \t]+([^ \t]+)")
        continue()
    endif()
    set(id ${CMAKE_MATCH_1})
    set(file ${base}/${CMAKE_MATCH_2})
    if(id LESS 4096)
        continue()
    endif()
    math(EXPR index "${id} - 4096")
    set(name "")
    set(flash 0)
    set(options 0)
    set(chip 0)
    set(parameter0 0)
    set(parameter1 0)
    file(STRINGS ${file} descriptor ENCODING UTF-8)
    foreach(entry IN LISTS descriptor)
        if(entry MATCHES "^0\t([^ \t]+)")
            set(name ${CMAKE_MATCH_1})
        elseif(entry MATCHES "^1\t([0-9A-Fa-fx]+)")
            math(EXPR flash "${CMAKE_MATCH_1}")
        elseif(entry MATCHES "^2\t([0-9A-Fa-fx]+)")
            math(EXPR options "${CMAKE_MATCH_1}")
        elseif(entry MATCHES "^162\t([0-9A-Fa-fx]+)")
            set(chip ${CMAKE_MATCH_1})
        elseif(entry MATCHES "^24\t([0-9A-Fa-fx]+)")
            math(EXPR parameter0 "(${CMAKE_MATCH_1}) & 255")
        elseif(entry MATCHES "^25\t([0-9A-Fa-fx]+)")
            math(EXPR parameter1 "(${CMAKE_MATCH_1}) & 255")
        endif()
    endforeach()
    if(name STREQUAL "")
        message(FATAL_ERROR "${file}: no part name (key 0)")
    endif()
    string(APPEND rows
           "        {\"${name}\", ${index}, ${chip}u, ${flash}u, ${options}u, ${parameter0}, "
           "${parameter1}},\n")
endforeach()
file(WRITE ${OUTPUT}.tmp "// Generated from the chip descriptors by cmake/EmulatedParts.cmake.
#include \"tavro/emulator/BuiltInParts.h\"

namespace halden {

EmulatedPartTable BuiltInParts::table() {
    return EmulatedPartTable({
${rows}    });
}

} // namespace halden
")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
