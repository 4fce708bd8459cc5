# Checks that the HeaderFilterRegex of .clang-tidy names every folder of
# code in cmake/Layers.cmake (the layers, then the folders beside them), at
# any depth below it (engine/families/din/...), so that a new layer or
# folder has its headers' names checked without anyone remembering it. Run as
#   cmake -DSOURCE_DIR=<source folder> -P tests/layers/CheckTidyFilter.cmake
# On a difference it prints the line .clang-tidy must hold and fails.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<source folder> -P CheckTidyFilter.cmake")
endif()
include(${SOURCE_DIR}/cmake/Layers.cmake)

# The folders beside the layers: the first part of every other table entry
# (tests/support gives tests).
set(beside "")
get_cmake_property(variables VARIABLES)
foreach(variable IN LISTS variables)
  if(variable MATCHES "^MORVATEX_USES_([^/]+)")
    set(folder ${CMAKE_MATCH_1})
    if(NOT folder IN_LIST MORVATEX_LAYERS)
      list(APPEND beside ${folder})
    endif()
  endif()
endforeach()
list(REMOVE_DUPLICATES beside)
list(SORT beside)

set(folders ${MORVATEX_LAYERS} ${beside})
list(JOIN folders "|" alternatives)
set(expected "HeaderFilterRegex: '/(${alternatives})/([^/]+/)*[^/]+\\.h$'")

file(STRINGS ${SOURCE_DIR}/.clang-tidy lines REGEX "^HeaderFilterRegex:")
if(NOT lines STREQUAL expected)
  message(FATAL_ERROR ".clang-tidy does not check the headers of every folder in cmake/Layers.cmake.\n"
                      "It holds:  ${lines}\nIt must hold:\n${expected}")
endif()
