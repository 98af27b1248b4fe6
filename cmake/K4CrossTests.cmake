# Test programs for another system run through the emulator (wine). Listing
# their cases at build time would start the emulator for every program in
# every build, and one start per case would take minutes: each program is
# one CTest test instead, and GoogleTest reports its cases in the output.
function(gtest_discover_tests target)
  cmake_parse_arguments(arg "" "TEST_PREFIX;TEST_SUFFIX;WORKING_DIRECTORY;DISCOVERY_TIMEOUT;DISCOVERY_MODE"
                        "PROPERTIES;EXTRA_ARGS;TEST_LIST" ${ARGN})
  set(name ${arg_TEST_PREFIX}${target}${arg_TEST_SUFFIX})
  add_test(NAME ${name} COMMAND ${target} ${arg_EXTRA_ARGS})
  if(arg_WORKING_DIRECTORY)
    set_tests_properties(${name} PROPERTIES WORKING_DIRECTORY ${arg_WORKING_DIRECTORY})
  endif()
  if(arg_PROPERTIES)
    set_tests_properties(${name} PROPERTIES ${arg_PROPERTIES})
  endif()
endfunction()

# A script that runs `target` under the emulator with absolute Unix paths
# among its arguments given in Windows form, for test scripts that start a
# program themselves; its path goes to `var`.
function(k4_program_for_scripts var target)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}-under-wine.sh)
  file(GENERATE OUTPUT ${script}
       CONTENT "#!/bin/sh\nexec '${CMAKE_SOURCE_DIR}/scripts/wine-program.sh' '$<TARGET_FILE:${target}>' \"$@\"\n"
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  set(${var} ${script} PARENT_SCOPE)
endfunction()
