# Builds the Debian package from a build tree and runs lintian on it. Every tag fails the check, the
# informational and pedantic ones included: the hardening tags (hardening-no-bindnow, -no-fortify-functions)
# are informational.
#   cmake -DCPACK=... -DLINTIAN=... -DBUILD_DIR=... -DOUTPUT_DIR=... -P lintian.cmake
file(REMOVE_RECURSE "${OUTPUT_DIR}")
execute_process(COMMAND "${CPACK}" --config "${BUILD_DIR}/CPackConfig.cmake" -G DEB -B "${OUTPUT_DIR}"
                OUTPUT_VARIABLE cpack_output ERROR_VARIABLE cpack_output RESULT_VARIABLE status)
file(GLOB package "${OUTPUT_DIR}/*.deb")
list(LENGTH package count)
if(NOT status EQUAL 0 OR NOT count EQUAL 1)
    message(FATAL_ERROR "cpack did not build one package:\n${cpack_output}")
endif()
execute_process(COMMAND "${LINTIAN}" --pedantic --display-info --tag-display-limit 0
                        --fail-on error,warning,info,pedantic ${package}
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lintian reported the tags above on ${package}")
endif()
message(STATUS "lintian: no tag on ${package}")
