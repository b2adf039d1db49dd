# Every layer is a library of its own whose headers are reached through an include root that holds
# only that layer's folder: a source file sees the headers of its own layer and of the layers it
# links, so an include that reaches up the layers does not compile.
#
#   velmoro_layer(<target> <folder under src> [INTERFACE])
#
# Where the file system cannot make symbolic links (Windows without the privilege), the layer falls
# back to the source tree as its include root: it still builds, unchecked.
function(velmoro_layer target folder)
  set(scope PUBLIC)
  if(ARGV2 STREQUAL "INTERFACE")
    set(scope INTERFACE)
  endif()
  set(root ${CMAKE_BINARY_DIR}/layers/${target})
  file(GLOB headers CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.h)
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(header IN LISTS headers)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${header} ${root}/${folder}/${name} RESULT failed SYMBOLIC)
    if(failed)
      set(root ${PROJECT_SOURCE_DIR}/src)
      break()
    endif()
  endforeach()
  target_include_directories(${target} ${scope} ${root})
endfunction()
