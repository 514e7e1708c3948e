# Run by CPack on the staged files before it packs them (the Debian package
# only, not a plain install): strips the programs of their symbols and of the
# sections nothing reads at run time (.comment, .note), as Debian's dh_strip
# does, and adds the package's lintian overrides.
set(staged_prefix "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT CPACK_GLASSWAKE_STRIP)
  message(FATAL_ERROR "no strip program was found when the build was configured")
endif()
foreach(program ${CPACK_GLASSWAKE_PROGRAMS})
  if(IS_ABSOLUTE "${program}")
    set(staged "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${program}")
  else()
    set(staged "${staged_prefix}/${program}")
  endif()
  execute_process(COMMAND ${CPACK_GLASSWAKE_STRIP} --remove-section=.comment --remove-section=.note ${staged}
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip ${staged} failed")
  endif()
endforeach()

file(MAKE_DIRECTORY "${staged_prefix}/share/lintian/overrides")
file(COPY_FILE "${CPACK_GLASSWAKE_LINTIAN_OVERRIDES}" "${staged_prefix}/share/lintian/overrides/glasswake")
