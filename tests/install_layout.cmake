# Installs the build into a scratch prefix and checks that the game and its
# asset folders land together.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
file(GLOB_RECURSE games ${PREFIX}/*/glasswake/glasswake)
list(LENGTH games count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one installed game, found: ${games}")
endif()
get_filename_component(dir ${games} DIRECTORY)
foreach(f glasswake-clipboard textures/theloader.jpg textures/bg08.jpg meshes/box.3ds meshes/helicopter.obj
          meshes/try1.sav cgeffects/vertex_boatg.cpp cgeffects/fragment_bend3.cpp "music/Velmore - Tarnish.mp3"
          music/4.mp3)
  if(NOT EXISTS "${dir}/${f}")
    message(FATAL_ERROR "missing after install: ${dir}/${f}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
