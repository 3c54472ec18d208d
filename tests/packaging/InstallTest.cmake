# cmake -DBUILD_DIR=... -DWORK_DIR=... -DSAMPLE=sample.hex -P InstallTest.cmake
# expect(WHAT CONDITION...): fails the test with WHAT unless the condition holds.
macro(expect what)
    if(NOT (${ARGN}))
        file(REMOVE_RECURSE ${WORK_DIR}/prefix)
        message(FATAL_ERROR "${what}")
    endif()
endmacro()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
expect("cmake --install failed: ${output}" result EQUAL 0)

foreach(file lib/halden/HexEdit.so lib/halden/M3_Tavro.so lib/udev/rules.d/70-tavro.rules
        share/applications/halden-programmer.desktop
        share/icons/hicolor/48x48/apps/halden-programmer.png share/man/man1/halden.1.gz
        share/man/man1/Halden_Programmer.1.gz share/man/man1/PackSetup.1.gz
        share/doc/halden/copyright share/doc/halden/changelog.gz)
    expect("not installed: ${file}" EXISTS ${prefix}/${file})
endforeach()
foreach(program halden Halden_Programmer)
    expect("bin/${program} is not a link" IS_SYMLINK ${prefix}/bin/${program})
    expect("lib/halden/${program} missing" EXISTS ${prefix}/lib/halden/${program})
endforeach()

# Away from the build folder, so the link library search cannot find the build's copy;
# settings of their own, so the user's are never touched and no update check runs; a
# runtime folder of their own, so a programmer the user has open does not stop this one.
set(home ${WORK_DIR}/home)
file(WRITE "${home}/.config/Local AppWizard-Generated Applications/Halden_Programmer.conf"
    "[Settings]\nCheckVersion=0\n")
file(MAKE_DIRECTORY ${WORK_DIR}/runtime)
file(CHMOD ${WORK_DIR}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(environment HOME=${home} XDG_CONFIG_HOME=${home}/.config XDG_RUNTIME_DIR=${WORK_DIR}/runtime
    HALDEN_MESSAGES=console)

execute_process(COMMAND ${prefix}/bin/halden --version OUTPUT_VARIABLE version RESULT_VARIABLE result)
expect("halden --version: ${version}" result EQUAL 0 AND version MATCHES "^halden [0-9.]+")

execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment}
        TAVRO_EMULATOR=target=RQD-1,state=${WORK_DIR}/emulator
        ${prefix}/bin/halden program --part RQD-1 ${SAMPLE}
    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result ERROR_VARIABLE messages)
expect("installed halden program failed (${result}): ${messages}"
    result EQUAL 0 AND messages MATCHES "Update Target ok !")

# The programmer loads both libraries before it reads its command line, so a path too long
# ends start-up with that message only once it found them.
string(REPEAT "x" 300 longPath)
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${environment}
        ${prefix}/bin/Halden_Programmer RQD-1 ${longPath} more
    WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE result ERROR_VARIABLE messages TIMEOUT 60)
expect("installed Halden_Programmer did not start (${result}): ${messages}"
    messages MATCHES "The path of the file is too long !")

# Every command the help lists is an entry of the man page.
execute_process(COMMAND ${prefix}/bin/halden --help OUTPUT_VARIABLE help)
execute_process(COMMAND gzip -dc ${prefix}/share/man/man1/halden.1.gz OUTPUT_VARIABLE page
    RESULT_VARIABLE result)
expect("the man page does not decompress" result EQUAL 0)
string(REGEX MATCHALL "\n  [a-z][a-z0-9-]*" commands "${help}")
list(LENGTH commands count)
expect("no commands found in halden --help" count GREATER 5)
foreach(command IN LISTS commands)
    string(STRIP "${command}" command)
    string(REPLACE "-" "\\-" manName "${command}")
    string(FIND "${page}" "\n.B ${manName}" at)
    expect("the man page lacks ${command}" NOT at EQUAL -1)
endforeach()

# An installed link library left in the build tree would be found by the programs' upward
# search from other tests.
file(REMOVE_RECURSE ${WORK_DIR})
