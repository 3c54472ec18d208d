# cmake -DBUILD_DIR=... -DWORK_DIR=... -P LintianTest.cmake
# Packs the build's install tree as the .deb and lets lintian judge it: any error or
# warning fails the test. Without lintian there is nothing to judge by, and the test says so.
find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message("lintian is not installed: the package is not checked")
    return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake
        -B ${WORK_DIR} -D CPACK_OUTPUT_FILE_PREFIX=${WORK_DIR}
    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${output}")
endif()
file(GLOB packages ${WORK_DIR}/halden_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "cpack made ${count} packages: ${packages}")
endif()
# Run as root in CI: lintian then asks to be told that this is meant.
execute_process(COMMAND ${LINTIAN} --allow-root --no-tag-display-limit ${packages}
    RESULT_VARIABLE result OUTPUT_VARIABLE findings ERROR_VARIABLE findings)
file(REMOVE_RECURSE ${WORK_DIR})
if(findings MATCHES "(^|\n)[EW]: ")
    message(FATAL_ERROR "lintian found errors or warnings:\n${findings}")
endif()
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lintian failed (${result}):\n${findings}")
endif()
message("lintian: no errors or warnings\n${findings}")
