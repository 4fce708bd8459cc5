# Targets for the layers of cmake/Layers.cmake.

# Gives `target` the include root of `folder` (a path below the source
# folder, such as engine or tests/support): a folder in the build tree that
# holds only a link to it, under its own name, so that "engine/Foo.h" is
# found there and nothing beside it is.
function(morvatex_include_root target scope folder)
  string(REPLACE "/" "_" rootName ${folder})
  set(root ${CMAKE_BINARY_DIR}/include-roots/${rootName})
  get_filename_component(parent ${root}/${folder} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  if(NOT IS_SYMLINK ${root}/${folder})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} ${scope} ${root})
endfunction()

# The library of layer `name` (STATIC unless TYPE says otherwise), built from
# SOURCES in its folder, linking the layers it may use and its Qt module.
function(morvatex_layer name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TYPE" "SOURCES")
  if(NOT name IN_LIST MORVATEX_LAYERS)
    message(FATAL_ERROR "${name} is not a layer of cmake/Layers.cmake")
  endif()
  if(NOT arg_TYPE)
    set(arg_TYPE STATIC)
  endif()
  set(target morvatex_${name})
  add_library(${target} ${arg_TYPE} ${arg_SOURCES})
  morvatex_include_root(${target} PUBLIC ${name})
  foreach(lower IN LISTS MORVATEX_USES_${name})
    target_link_libraries(${target} PUBLIC morvatex_${lower})
  endforeach()
  if(DEFINED MORVATEX_QT_${name})
    target_link_libraries(${target} PUBLIC Qt6::${MORVATEX_QT_${name}})
    set_target_properties(${target} PROPERTIES AUTOMOC ON)
  else()
    set_target_properties(${target} PROPERTIES AUTOMOC OFF)
    # The Qt-free layers also go into the converter's preview module (a
    # shared object). With -fno-semantic-interposition the compiler still
    # inlines across their functions as in a program.
    if(MORVATEX_BUILD_GUI AND NOT WIN32)
      set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
      target_compile_options(${target} PRIVATE -fno-semantic-interposition)
    endif()
  endif()
endfunction()
