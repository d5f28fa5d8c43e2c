# The layers, enforced by the compiler: a library exposes only its own source folders, through an
# include root of its own that holds nothing but those folders, so a file sees the headers of its
# library and of the libraries it links, and an include of any other layer fails to compile.
#
#   menucost_expose(<target> <folder under src/>...)
function(menucost_expose target)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    set(scope INTERFACE)
  else()
    set(scope PUBLIC)
  endif()
  foreach(dir ${ARGN})
    set(root ${PROJECT_BINARY_DIR}/include/${dir})
    if(NOT IS_SYMLINK ${root}/${dir})
      file(MAKE_DIRECTORY ${root})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${dir} ${root}/${dir} SYMBOLIC)
    endif()
    target_include_directories(${target} ${scope} ${root})
  endforeach()
endfunction()
