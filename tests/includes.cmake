# Fails when a file includes one of a folder that is not below its own: the layers go one way, from
# the files layer up to the program. Each folder names the folders it builds on directly; what those
# build on is below it too. Run by ctest with SOURCE_DIR set.
cmake_policy(SET CMP0007 NEW)
set(layers
  "files:"
  "res:"
  "platform/shell/core:files"
  "platform:files,res,platform/shell/core"
  "panes:platform"
  "compare/core:files"
  "snapshots/core:files"
  "views/core:compare/core"
  "browser/core:platform/shell/core,files"
  "compare:compare/core,snapshots/core,platform"
  "views:compare,views/core,snapshots/core,platform"
  "snapshots:snapshots/core,views,panes"
  "browser:browser/core,views,panes"
  "app:browser,snapshots"
  "cli:compare/core,snapshots/core,platform")

set(folders)
foreach(layer IN LISTS layers)
  string(REPLACE ":" ";" parts "${layer}")
  list(GET parts 0 folder)
  list(APPEND folders "${folder}")
  set(uses "")
  list(LENGTH parts n)
  if(n GREATER 1)
    list(GET parts 1 uses)
    string(REPLACE "," ";" uses "${uses}")
  endif()
  # Below: what the folder builds on, and what those have below them (listed earlier).
  set(below_${folder} "")
  foreach(used IN LISTS uses)
    list(APPEND below_${folder} "${used}" ${below_${used}})
  endforeach()
endforeach()

# The folder a path lies in: the longest folder of the table it starts with.
function(folder_of path out)
  set(found "")
  foreach(folder IN LISTS folders)
    string(FIND "${path}/" "${folder}/" at)
    string(LENGTH "${folder}" length)
    string(LENGTH "${found}" found_length)
    if(at EQUAL 0 AND length GREATER found_length)
      set(found "${folder}")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(offenders)
set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${folder}/*.h" "${SOURCE_DIR}/${folder}/*.cpp")
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[^\"]*/[^\"]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" included "${line}")
      folder_of("${included}" target)
      if(target STREQUAL "" OR target STREQUAL folder)
        continue()
      endif()
      list(FIND below_${folder} "${target}" at)
      if(at LESS 0)
        list(APPEND offenders "${source} (${folder}) includes ${included} (${target})")
      endif()
    endforeach()
  endforeach()
endforeach()
if(checked LESS 100)
  message(FATAL_ERROR "only ${checked} files checked under ${SOURCE_DIR}: the check is looking in the wrong place")
endif()
if(offenders)
  string(REPLACE ";" "\n" offenders "${offenders}")
  message(FATAL_ERROR "Includes against the layers:\n${offenders}")
endif()
message(STATUS "${checked} files, every include goes down")
