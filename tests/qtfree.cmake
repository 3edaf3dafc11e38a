# Fails when a file of a core/ folder (or the resource tables) includes a Qt header: the core must
# build and be tested without Qt. Run by ctest with SOURCE_DIR set.
file(GLOB_RECURSE core_files
  "${SOURCE_DIR}/files/*.h" "${SOURCE_DIR}/files/*.cpp"
  "${SOURCE_DIR}/*/core/*.h" "${SOURCE_DIR}/*/core/*.cpp"
  "${SOURCE_DIR}/*/*/core/*.h" "${SOURCE_DIR}/*/*/core/*.cpp"
  "${SOURCE_DIR}/res/resourcetables.h" "${SOURCE_DIR}/res/resourcetables.cpp" "${SOURCE_DIR}/res/resource.h")
set(offenders)
foreach(path IN LISTS core_files)
  file(STRINGS "${path}" qt_includes REGEX "^#include [<\"](Q[A-Za-z]+|Qt[A-Za-z]*/)")
  if(qt_includes)
    list(APPEND offenders "${path}: ${qt_includes}")
  endif()
endforeach()
list(LENGTH core_files count)
if(count LESS 20)
  message(FATAL_ERROR "only ${count} core files found under ${SOURCE_DIR}: the check is looking in the wrong place")
endif()
if(offenders)
  string(REPLACE ";" "\n" offenders "${offenders}")
  message(FATAL_ERROR "Qt included in Qt-free code:\n${offenders}")
endif()
message(STATUS "${count} core files, none includes Qt")
