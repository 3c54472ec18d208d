# cmake -DSOURCE_DIR=<tree> -P LayerCheck.cmake
# The rules of the tree's layers, checked on every build. The check fails, with one line
# for each include that breaks a rule naming the file, when a file of the product
#  - includes a header of a folder its layer must not reach (reach_rules below); no layer
#    reaches tests/, bench/ or fuzz/,
#  - includes a Qt header outside the Qt folders (qt/ and ui/ folders anywhere, and the
#    folders in qt_folders), or a header of a Qt folder from outside them, which would
#    bring Qt in all the same.
# An include is resolved as the compiler would find it: beside the file, from the tree's
# root, or by its file name in the folders that hold it.

# "folder:the folders its files may reach besides their own". A file follows the rule of
# the longest folder that holds it. The stand-ins under tavro/ sit beside the product and
# see the adapter's wire format and HID interfaces only.
set(reach_rules
    "common:"
    "adapter:common"
    "adapter/wire:common"
    "hexview:common"
    "ledger:common"
    "programmer:common|adapter|hexview"
    "packsetup:common|adapter"
    "tavro:common|adapter/wire|adapter/hid"
    "cli:common|adapter|programmer|packsetup|ledger"
    "tools:common")

# Besides every qt/ and ui/ folder, the folders that are Qt as a whole: the programmer's
# windows, and the command line, which runs the Qt sides (printer, network, settings) of
# the commands it wires together.
set(qt_folders "programmer/app" "cli")

set(qt_include_regex "^<(Q[A-Za-z0-9_/.]*|q[a-z0-9_]+\\.h)>$")
set(foreign_folders tests bench fuzz)

set(layers "")
foreach(rule IN LISTS reach_rules)
    string(REGEX REPLACE ":.*" "" layer "${rule}")
    list(APPEND layers ${layer})
    string(REGEX REPLACE "^[^:]*:" "" allowed "${rule}")
    string(REPLACE "|" ";" allowed "${allowed}")
    string(MAKE_C_IDENTIFIER "${layer}" key)
    set(reach_${key} ${layer} ${allowed})
endforeach()

# The rule folder of a path: the longest layer that holds it, or nothing.
function(rule_folder path out)
    set(best "")
    foreach(layer IN LISTS layers)
        string(LENGTH "${layer}" length)
        string(LENGTH "${best}" best_length)
        if(path MATCHES "^${layer}/" AND length GREATER best_length)
            set(best ${layer})
        endif()
    endforeach()
    set(${out} "${best}" PARENT_SCOPE)
endfunction()

function(may_reach allowed path out)
    set(result FALSE)
    foreach(folder IN LISTS allowed)
        if(path MATCHES "^${folder}/")
            set(result TRUE)
        endif()
    endforeach()
    set(${out} ${result} PARENT_SCOPE)
endfunction()

function(in_qt_folder path out)
    if(path MATCHES "(^|/)(qt|ui)/")
        set(${out} TRUE PARENT_SCOPE)
        return()
    endif()
    may_reach("${qt_folders}" ${path} result)
    set(${out} ${result} PARENT_SCOPE)
endfunction()

set(globs "")
foreach(folder IN LISTS layers foreign_folders)
    list(APPEND globs ${SOURCE_DIR}/${folder}/*.h)
endforeach()
file(GLOB_RECURSE all_headers RELATIVE ${SOURCE_DIR} ${globs})
# file name -> the headers of that name
foreach(header IN LISTS all_headers)
    get_filename_component(name ${header} NAME)
    string(MAKE_C_IDENTIFIER "${name}" key)
    list(APPEND owners_${key} ${header})
endforeach()

set(globs "")
foreach(layer IN LISTS layers)
    list(APPEND globs ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
endforeach()
file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${globs})

set(violations "")
foreach(source IN LISTS sources)
    rule_folder(${source} layer)
    string(MAKE_C_IDENTIFIER "${layer}" key)
    set(allowed ${reach_${key}})
    in_qt_folder(${source} source_is_qt)
    get_filename_component(source_dir ${source} DIRECTORY)
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([\"<][^\">]+[\">]).*" "\\1" spelled "${line}")
        if(spelled MATCHES "${qt_include_regex}")
            if(NOT source_is_qt)
                string(APPEND violations "  ${source}: #include ${spelled} is Qt outside a Qt folder\n")
            endif()
            continue()
        endif()
        if(NOT spelled MATCHES "^\"")
            continue()
        endif()
        string(REGEX REPLACE "^\"(.*)\"$" "\\1" included "${spelled}")
        if(EXISTS ${SOURCE_DIR}/${source_dir}/${included})
            file(RELATIVE_PATH resolved ${SOURCE_DIR} ${SOURCE_DIR}/${source_dir}/${included})
            set(candidates ${resolved})
        elseif(included MATCHES "/" AND EXISTS ${SOURCE_DIR}/${included})
            set(candidates ${included})
        else()
            get_filename_component(name ${included} NAME)
            string(MAKE_C_IDENTIFIER "${name}" name_key)
            set(candidates ${owners_${name_key}})
            # A name the file may reach is taken to be that header.
            foreach(candidate IN LISTS candidates)
                may_reach("${allowed}" ${candidate} reachable)
                if(reachable)
                    set(candidates ${candidate})
                    break()
                endif()
            endforeach()
        endif()
        foreach(reached IN LISTS candidates)
            may_reach("${allowed}" ${reached} reachable)
            if(NOT reachable)
                string(REGEX REPLACE "/[^/]*$" "/" folder ${reached})
                list(JOIN allowed "/, " allowed_text)
                string(APPEND violations "  ${source}: #include ${spelled} reaches ${folder}"
                    " (${layer}/ reaches ${allowed_text}/ only)\n")
                continue()
            endif()
            in_qt_folder(${reached} reached_is_qt)
            if(reached_is_qt AND NOT source_is_qt)
                string(APPEND violations "  ${source}: #include ${spelled} brings a Qt folder's header outside the Qt folders\n")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Layer check: these includes break the layers' rules "
        "(cmake/LayerCheck.cmake):\n${violations}")
endif()
