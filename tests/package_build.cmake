# Included by the package tests: builds the Debian package into the scratch
# folder WORK and sets debs to what cpack made there.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${WORK}
                RESULT_VARIABLE result OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${result}\n${log}")
endif()
file(GLOB debs ${WORK}/*.deb)
