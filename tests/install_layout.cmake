# Installs the build into a scratch prefix and checks that the game finds its
# asset folders beside itself (links into share/glasswake), with the launcher
# in games/, the menu entry, icons and the compressed manual page. A second
# install over the first gives the same layout.
cmake_policy(VERSION 3.20)  # IN_LIST in script mode
file(REMOVE_RECURSE ${PREFIX})
foreach(round 1 2)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE log)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install (round ${round}) failed: ${result}\n${log}")
  endif()
endforeach()
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

foreach(folder textures meshes cgeffects music)
  file(REAL_PATH ${dir}/${folder} real)
  if(NOT IS_SYMLINK ${dir}/${folder} OR NOT real STREQUAL "${PREFIX}/share/glasswake/${folder}")
    message(FATAL_ERROR "${dir}/${folder} does not lead to share/glasswake/${folder}")
  endif()
endforeach()

# The launcher in games/ runs the game itself, found relative to the launcher.
set(launcher ${PREFIX}/games/glasswake)
file(STRINGS ${launcher} exec_line REGEX "^exec ")
if(NOT exec_line MATCHES "\\)/([^\"]+)\" \"\\$@\"$")
  message(FATAL_ERROR "${launcher} does not exec a path relative to itself: ${exec_line}")
endif()
file(REAL_PATH ${PREFIX}/games/${CMAKE_MATCH_1} launched)
file(REAL_PATH ${games} game)
if(NOT launched STREQUAL game)
  message(FATAL_ERROR "the launcher runs ${launched}, not ${game}")
endif()
execute_process(COMMAND test -x ${launcher} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${launcher} is not executable")
endif()

# The menu entry passes the freedesktop checker and names the launcher and icon.
set(entry ${PREFIX}/share/applications/dev.glasswake.Glasswake.desktop)
find_program(VALIDATE desktop-file-validate REQUIRED)
execute_process(COMMAND ${VALIDATE} ${entry} RESULT_VARIABLE result OUTPUT_VARIABLE complaints ERROR_VARIABLE complaints)
if(NOT result EQUAL 0 OR NOT complaints STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate ${entry}: ${result} ${complaints}")
endif()
file(STRINGS ${entry} lines)
foreach(line Exec=glasswake Icon=glasswake Terminal=false Type=Application)
  if(NOT line IN_LIST lines)
    message(FATAL_ERROR "${entry} lacks ${line}")
  endif()
endforeach()

# The software centres' listing passes AppStream's checker without a note
# (errors, warnings and infos alike), names the installed menu entry and the
# binary the launcher provides, and shows the README's captures.
set(metainfo ${PREFIX}/share/metainfo/dev.glasswake.Glasswake.metainfo.xml)
find_program(APPSTREAMCLI appstreamcli REQUIRED)
execute_process(COMMAND ${APPSTREAMCLI} validate --no-net --no-color ${metainfo}
                RESULT_VARIABLE result OUTPUT_VARIABLE report ERROR_VARIABLE report)
if(NOT result EQUAL 0 OR report MATCHES "(^|\n)[EWI]: ")
  message(FATAL_ERROR "appstreamcli validate ${metainfo}: ${result}\n${report}")
endif()
file(READ ${metainfo} listing)
if(NOT listing MATCHES "<launchable type=\"desktop-id\">dev\\.glasswake\\.Glasswake\\.desktop</launchable>"
   OR NOT EXISTS ${PREFIX}/share/applications/dev.glasswake.Glasswake.desktop)
  message(FATAL_ERROR "${metainfo} does not name the installed menu entry")
endif()
if(NOT listing MATCHES "<binary>glasswake</binary>" OR NOT EXISTS ${PREFIX}/games/glasswake)
  message(FATAL_ERROR "${metainfo} does not name the installed launcher")
endif()
string(REGEX MATCHALL "/screenshots/[a-z_]+\\.png" shots "${listing}")
if(shots STREQUAL "")
  message(FATAL_ERROR "${metainfo} shows no screenshot")
endif()
foreach(shot IN LISTS shots)
  string(REPLACE "/screenshots/" "" shot ${shot})
  if(NOT EXISTS ${CMAKE_CURRENT_LIST_DIR}/../docs/${shot})
    message(FATAL_ERROR "${metainfo} shows ${shot}, which is not one of the README's captures in docs/")
  endif()
endforeach()

# One PNG icon of each size, its header saying that size.
foreach(size 48 128 256)
  set(icon ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/glasswake.png)
  if(NOT EXISTS ${icon})
    message(FATAL_ERROR "missing icon ${icon}")
  endif()
  file(READ ${icon} header LIMIT 24 HEX)
  math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" hex ${hex})
  string(LENGTH ${hex} digits)
  math(EXPR pad "8 - ${digits}")
  string(REPEAT 0 ${pad} zeros)
  set(edge ${zeros}${hex})
  if(NOT header STREQUAL "89504e470d0a1a0a0000000d49484452${edge}${edge}")
    message(FATAL_ERROR "${icon} is not a ${size}x${size} PNG: ${header}")
  endif()
endforeach()

# The manual page, compressed without a name or time stamp.
set(page ${PREFIX}/share/man/man6/glasswake.6.gz)
file(READ ${page} header LIMIT 10 HEX)
if(NOT header MATCHES "^1f8b08000000000002")
  message(FATAL_ERROR "${page} is not gzip -9n output: ${header}")
endif()
file(REMOVE_RECURSE ${PREFIX})
