# Builds the Debian package into a scratch folder and runs lintian on it, all
# tags shown: any error or warning fails the test (overrides live, each with
# its reason, in packaging/lintian-overrides).
include(${CMAKE_CURRENT_LIST_DIR}/package_build.cmake)
set(deb ${debs})
find_program(LINTIAN lintian REQUIRED)
execute_process(COMMAND ${LINTIAN} --display-info --pedantic ${deb}
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE complaints)
message("${report}")
if(NOT result EQUAL 0 OR report MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian ${deb}: exit ${result}, errors or warnings above\n${complaints}")
endif()
file(REMOVE_RECURSE ${WORK})
