# Fails when a source includes a header of a layer it may not use.
#   cmake -DROOT=<source folder> -P CheckLayers.cmake
# Each folder may include its own headers, those of the layers its row names,
# and the resource ids; "folder/file.h" entries allow that one header only.
cmake_minimum_required(VERSION 3.20)

set(allowed_text   "")
set(allowed_win    "")
set(allowed_tags   text win)
set(allowed_editor text win)
set(allowed_ui     text win tags)
set(allowed_nav    text win tags editor)
set(allowed_plugin text win tags editor ui nav)
# The simulated editor and the benchmarks share no code with the plug-in but
# the Win32 owners and the editor's message constants (the benchmarks: the
# string, the scanner, the picker and the move to a pattern, and the simulated
# editor to time the command in and to land in).
set(allowed_host   win editor/HostMessages.h)
set(allowed_bench  text win tags ui nav host editor/HostMessages.h)
set(everyone res/ResourceIds.h res/Version.h)

set(layers text win tags editor ui nav plugin host bench)
set(violations "")
set(checked 0)
foreach(layer IN LISTS layers)
  file(GLOB_RECURSE sources "${ROOT}/${layer}/*.h" "${ROOT}/${layer}/*.cpp" "${ROOT}/${layer}/*.rc")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      if(NOT header MATCHES "/")
        continue()  # a header beside the source
      endif()
      string(REGEX REPLACE "/.*" "" folder "${header}")
      if(folder STREQUAL layer OR header IN_LIST everyone
         OR folder IN_LIST allowed_${layer} OR header IN_LIST allowed_${layer})
        continue()
      endif()
      file(RELATIVE_PATH shown "${ROOT}" "${source}")
      list(APPEND violations "${shown}: \"${header}\" (${layer} may use: ${allowed_${layer}})")
    endforeach()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " listed)
  message(FATAL_ERROR "Includes across layers:\n  ${listed}")
endif()
message(STATUS "${checked} sources keep to their layers")
