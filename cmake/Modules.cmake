# zz_library(<name> [QT] SOURCES ... [POSIX ...] [WIN32 ...] [USES ...] [PRIVATE_USES ...])
# One library of src/<name>/: its own sources, the files of the platform
# being built, and an include root of its own that holds only its folder,
# so "<name>/x.h" is found by the targets that use it and by no other. An
# include of a module the target does not declare fails to compile.
# zz_include_root(<target> [<folder name>]): the include root of a target
# built from the current folder, which its includes name as <folder name>
# (the target's name unless given).
function(zz_include_root target)
  set(name ${target})
  if(ARGC GREATER 1)
    set(name ${ARGV1})
  endif()
  set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
  if(NOT EXISTS ${root}/${name})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${name} SYMBOLIC COPY_ON_ERROR)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()

function(zz_library name)
  cmake_parse_arguments(L "" "" "SOURCES;POSIX;WIN32;USES;PRIVATE_USES" ${ARGN})
  if(WIN32)
    add_library(${name} STATIC ${L_SOURCES} ${L_WIN32})
  else()
    add_library(${name} STATIC ${L_SOURCES} ${L_POSIX})
  endif()
  zz_include_root(${name})
  target_link_libraries(${name} PUBLIC ${L_USES} PRIVATE ${L_PRIVATE_USES})
endfunction()
