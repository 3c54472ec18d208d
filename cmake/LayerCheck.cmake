# cmake -DSOURCE_DIR=<tree> -P LayerCheck.cmake
# Fails when a file includes a header of a layer it must not reach: the layers point one
# way, common/ <- adapter/ <- programmer/, packsetup/ <- cli/, and the stand-ins under
# tavro/ sit beside the product (common/ and adapter/ only). An include is resolved as the
# compiler would find it: beside the file, from the tree's root, or by its file name in
# the folder that holds it.
set(rules
    "common:adapter|programmer|packsetup|tavro|cli|hexview"
    "adapter:programmer|packsetup|tavro|cli|hexview"
    "tavro:programmer|packsetup|cli|hexview"
    "programmer:packsetup|tavro|cli"
    "packsetup:programmer|tavro|cli|hexview")

file(GLOB_RECURSE all_headers RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/common/*.h ${SOURCE_DIR}/adapter/*.h ${SOURCE_DIR}/programmer/*.h
    ${SOURCE_DIR}/packsetup/*.h ${SOURCE_DIR}/tavro/*.h ${SOURCE_DIR}/cli/*.h
    ${SOURCE_DIR}/hexview/*.h)
# name -> the folders (top level) that hold a header of that name
foreach(header IN LISTS all_headers)
    get_filename_component(name ${header} NAME)
    string(REGEX REPLACE "/.*" "" top ${header})
    string(MAKE_C_IDENTIFIER "${name}" key)
    list(APPEND owners_${key} ${top})
endforeach()

set(violations "")
foreach(rule IN LISTS rules)
    string(REGEX REPLACE ":.*" "" layer "${rule}")
    string(REGEX REPLACE "^[^:]*:" "" forbidden_any "${rule}")
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
        ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
        get_filename_component(source_dir ${source} DIRECTORY)
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" included "${line}")
            set(reached "")
            if(EXISTS ${SOURCE_DIR}/${source_dir}/${included})
                file(RELATIVE_PATH resolved ${SOURCE_DIR} ${SOURCE_DIR}/${source_dir}/${included})
                string(REGEX REPLACE "/.*" "" reached ${resolved})
            elseif(included MATCHES "/" AND EXISTS ${SOURCE_DIR}/${included})
                string(REGEX REPLACE "/.*" "" reached ${included})
            else()
                get_filename_component(name ${included} NAME)
                string(MAKE_C_IDENTIFIER "${name}" key)
                set(reached ${owners_${key}})
                # A name the layer itself (or a layer it may reach) holds is its own.
                foreach(owner IN LISTS reached)
                    if(NOT owner MATCHES "^(${forbidden_any})$")
                        set(reached "")
                        break()
                    endif()
                endforeach()
            endif()
            foreach(owner IN LISTS reached)
                if(owner MATCHES "^(${forbidden_any})$")
                    string(APPEND violations "  ${source}: #include \"${included}\" reaches ${owner}/\n")
                endif()
            endforeach()
        endforeach()
    endforeach()
endforeach()

if(violations)
    message(FATAL_ERROR "Layer check: these includes run against the layers "
        "(common <- adapter <- programmer, packsetup <- cli; tavro beside them):\n${violations}")
endif()
