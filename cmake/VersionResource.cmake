# zz_add_version_resource(<target> DESCRIPTION <text> [ICON <file.ico>]):
# on Windows, the version record Explorer shows in the file's properties
# (company, product, description, file names, version), written from
# project() and ZZ_COMPANY like common/version.h, and optionally the
# program's icon. Elsewhere nothing is added.
if(WIN32)
  enable_language(RC)
endif()

function(zz_add_version_resource target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(V "" "DESCRIPTION;ICON" "" ${ARGN})
  if(NOT V_DESCRIPTION)
    message(FATAL_ERROR "zz_add_version_resource(${target}): DESCRIPTION is required")
  endif()
  # "1.02" is major 1, minor 2 in the binary fields; the texts keep "1.02".
  math(EXPR ZZ_RC_MAJOR "${PROJECT_VERSION_MAJOR} + 0")
  math(EXPR ZZ_RC_MINOR "${PROJECT_VERSION_MINOR} + 0")
  set(ZZ_RC_DESCRIPTION "${V_DESCRIPTION}")
  set(ZZ_RC_ORIGINAL_FILENAME "${target}.exe")
  set(ZZ_RC_ICON "")
  if(V_ICON)
    set(ZZ_RC_ICON "1 ICON \"${V_ICON}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
