# Makes the .deb into OUTPUT_DIR with CPack and runs lintian on it; any error
# or warning fails.
find_program(LINTIAN lintian)
if(NOT LINTIAN)
    message(FATAL_ERROR "lintian not found (scripts/setup.sh installs it)")
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
