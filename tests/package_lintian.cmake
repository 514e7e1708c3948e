# Builds the Debian package into a scratch folder and runs lintian on it, all
# tags shown: any error or warning fails the test (overrides live, each with
# its reason, in packaging/lintian-overrides).
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK}
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${result}\n${log}")
endif()
file(GLOB deb ${WORK}/*.deb)
find_program(LINTIAN lintian REQUIRED)
execute_process(COMMAND ${LINTIAN} --display-info --pedantic ${deb}
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE complaints)
message("${report}")
if(NOT result EQUAL 0 OR report MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian ${deb}: exit ${result}, errors or warnings above\n${complaints}")
endif()
file(REMOVE_RECURSE ${WORK})
