# Makes the .deb into OUTPUT_DIR with CPack and runs lintian on it; any error
# or warning fails. Without lintian, or without help2man at configure time
# (lintian wants corvanta-cli's manual page), says so and stops: the test
# counts that as skipped.
find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message("lintian is not installed; skipped (scripts/setup.sh installs it)")
    return()
endif()
if(NOT CLI_PAGE)
    message("help2man is not installed; skipped (scripts/setup.sh installs it, then configure again)")
    return()
endif()
file(REMOVE_RECURSE "${OUTPUT_DIR}")
execute_process(COMMAND cpack -G DEB -B "${OUTPUT_DIR}" --config "${BUILD_DIR}/CPackConfig.cmake"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${output}")
endif()
file(GLOB package "${OUTPUT_DIR}/*.deb")
execute_process(COMMAND "${LINTIAN}" --fail-on error,warning --tag-display-limit 0 ${package}
                RESULT_VARIABLE result OUTPUT_VARIABLE tags)
message("${tags}")
if(NOT result EQUAL 0)
    message(FATAL_ERROR "lintian found errors or warnings in ${package}")
endif()
