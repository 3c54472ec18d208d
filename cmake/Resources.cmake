# halden_add_resources(TARGET MANIFEST SYMBOL [SECTION name])
# Packs the resources a manifest lists into a generated source compiled into TARGET.
function(halden_add_resources target manifest symbol)
    cmake_parse_arguments(ARG "" "SECTION" "" ${ARGN})
    get_filename_component(manifest_path ${manifest} ABSOLUTE)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/${symbol}.cpp)
    add_custom_command(
        OUTPUT ${output}
        COMMAND respack ${manifest_path} ${output} ${symbol} ${ARG_SECTION}
        DEPENDS respack ${manifest_path}
        DEPFILE ${output}.d
        COMMENT "Packing resources ${symbol}"
        VERBATIM)
    target_sources(${target} PRIVATE ${output})
endfunction()
