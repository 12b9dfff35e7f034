# Layers that only point down, enforced by the compiler.
#
# Every include names its folder from the top of the tree ("paint/x.h"), so a
# target can only include what its include roots hold. The top of the tree is
# on no target's include path: each layer gets a root of its own in the build
# tree, holding one link, to its own folder. A layer's root is PUBLIC and its
# dependencies are declared, so a target sees the folders of its layer and of
# the layers below it, and an include that reaches up is a compile error
# ("No such file or directory").
#
# horaz_layer(<target> <folder> [HEADER_ONLY | OBJECT] [DEPENDS <targets>...])
#   A static library of <folder>/*.cpp (not its sub-folders, which are layers
#   of their own); HEADER_ONLY makes an interface library of the folder's
#   headers, OBJECT an object library whose objects go straight into whatever
#   links it.
function(horaz_layer target folder)
  cmake_parse_arguments(PARSE_ARGV 2 layer "HEADER_ONLY;OBJECT" "" "DEPENDS")
  string(REPLACE "/" "_" root_name "${folder}")
  set(root "${PROJECT_BINARY_DIR}/layers/${root_name}")
  get_filename_component(link_parent "${root}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${link_parent}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${root}/${folder}" SYMBOLIC)

  if(layer_HEADER_ONLY)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE "${root}")
    target_link_libraries(${target} INTERFACE ${layer_DEPENDS})
    return()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/${folder}/*.cpp")
  if(layer_OBJECT)
    add_library(${target} OBJECT ${sources})
  else()
    add_library(${target} STATIC ${sources})
  endif()
  target_include_directories(${target} PUBLIC "${root}")
  target_link_libraries(${target} PUBLIC ${layer_DEPENDS})
endfunction()
