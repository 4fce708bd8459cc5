# Checks every include line of the sources against the layer table of
# cmake/Layers.cmake, for what the build cannot catch: a header that no
# compiled file includes, and the folders of tests, benchmarks and fuzz
# targets, which see more than a layer does. Run as
#   cmake -DSOURCE_DIR=<source folder> -P tests/layers/CheckIncludes.cmake
# It prints every include that breaks a rule and fails when there is one.
#
# The rules:
# - A file of layer L includes "L/..." and "X/..." for the layers X that L may
#   use; a Qt-free layer includes no Qt header.
# - tests/L (the tests of layer L) include what L may, tests/X for L and those
#   layers, and tests/support; they are Qt-free when L is.
# - tests/support, bench/ and fuzz/ include what their entries in the table say.
# - Every include of the project's own headers is written from the source
#   folder ("engine/Foo.h"), never relative to the file, except moc's output.
# - Every folder with C++ sources is in the table.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=<source folder> -P CheckIncludes.cmake")
endif()
include(${SOURCE_DIR}/cmake/Layers.cmake)

# Folders beside the layers that hold no C++ of the program.
set(notCode .ci .git cmake docs examples packaging scripts)

set(problems "")
macro(complain text)
  list(APPEND problems "${text}")
endmacro()

# The rule for the folder `folder` (a layer, tests/<layer>, tests/support,
# bench or fuzz): sets `allowed` (folders it may include) and `qtFree`;
# `known` false for a folder without a rule.
function(rule_of folder)
  set(known TRUE)
  set(qtFree TRUE)
  if(folder IN_LIST MORVATEX_LAYERS)
    set(allowed ${folder} ${MORVATEX_USES_${folder}})
    if(DEFINED MORVATEX_QT_${folder})
      set(qtFree FALSE)
    endif()
  elseif(folder MATCHES "^tests/(.+)$" AND CMAKE_MATCH_1 IN_LIST MORVATEX_LAYERS)
    set(layer ${CMAKE_MATCH_1})
    set(allowed ${folder} tests/support)
    foreach(lower IN ITEMS ${layer} ${MORVATEX_USES_${layer}})
      list(APPEND allowed ${lower} tests/${lower})
    endforeach()
    if(DEFINED MORVATEX_QT_${layer})
      set(qtFree FALSE)
    endif()
  elseif(DEFINED MORVATEX_USES_${folder})
    set(allowed ${folder} ${MORVATEX_USES_${folder}})
    if(DEFINED MORVATEX_QT_${folder})
      set(qtFree FALSE)
    endif()
  else()
    set(known FALSE)
  endif()
  set(allowed ${allowed} PARENT_SCOPE)
  set(qtFree ${qtFree} PARENT_SCOPE)
  set(known ${known} PARENT_SCOPE)
endfunction()

# The folders to read: every top-level folder but the build folders and
# those without code; tests/ by its sub-folders.
file(GLOB tops RELATIVE ${SOURCE_DIR} LIST_DIRECTORIES true ${SOURCE_DIR}/*)
set(folders "")
foreach(top IN LISTS tops)
  if(NOT IS_DIRECTORY ${SOURCE_DIR}/${top} OR top MATCHES "^build" OR top IN_LIST notCode)
    continue()
  endif()
  if(top STREQUAL "tests")
    file(GLOB subs RELATIVE ${SOURCE_DIR} LIST_DIRECTORIES true ${SOURCE_DIR}/tests/*)
    foreach(sub IN LISTS subs)
      if(IS_DIRECTORY ${SOURCE_DIR}/${sub})
        list(APPEND folders ${sub})
      endif()
    endforeach()
  else()
    list(APPEND folders ${top})
  endif()
endforeach()

set(checked 0)
foreach(folder IN LISTS folders)
  file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    continue()
  endif()
  rule_of(${folder})
  if(NOT known)
    complain("${folder}/: a folder with C++ sources that cmake/Layers.cmake does not name")
    continue()
  endif()
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line IN LISTS includes)
      if(line MATCHES "\"([^\"]+)\"")
        set(header ${CMAKE_MATCH_1})
        if(header MATCHES "^tests/([^/]+)/")
          set(target tests/${CMAKE_MATCH_1})
        elseif(header MATCHES "^([^/]+)/")
          set(target ${CMAKE_MATCH_1})
        elseif(header MATCHES "\\.moc$")
          continue()
        else()
          complain("${source}: \"${header}\" is not written from the source folder")
          continue()
        endif()
        if(NOT target IN_LIST allowed)
          complain("${source}: ${folder}/ may not include ${target}/ (\"${header}\")")
        endif()
      elseif(line MATCHES "<(Q[A-Za-z0-9_/]*)>" AND qtFree)
        complain("${source}: ${folder}/ is Qt-free but includes <${CMAKE_MATCH_1}>")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(LENGTH problems count)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "${count} include(s) break the layer rules:\n  ${text}")
endif()
message(STATUS "${checked} files follow the layer rules")
