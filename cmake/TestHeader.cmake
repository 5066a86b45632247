# <QtTest> is most of each test's compile time: it is compiled once, as a
# precompiled header, and every test takes it. GCC takes one only where the
# macros it tests are defined alike, so:
#  - QtTest is not told each test's own folders (QT_TESTCASE_SOURCEDIR and
#    _BUILDDIR, for QFINDTESTDATA, which no test here uses);
#  - there is one header for tests on Qt Core alone, one for those whose
#    libraries bring Qt Gui, one for those that bring Qt Widgets.
# A test given the wrong one still builds, from the plain header.
#
# Every test file then sees Qt's keyword macros before anything else, so a
# plain module's header must not use them as names: a parameter named
# `slots` silently became no parameter at all. Configuring refuses one.
foreach(module IN LISTS ZZ_PLAIN_MODULES)
  file(GLOB headers ${PROJECT_SOURCE_DIR}/src/${module}/*.h)
  foreach(header IN LISTS headers)
    file(STRINGS ${header} lines)
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "//.*" "" code "${line}")
      if(code MATCHES "(^|[^A-Za-z0-9_])(slots|signals|emit|foreach|forever)([^A-Za-z0-9_]|$)")
        message(FATAL_ERROR "${header} names `${CMAKE_MATCH_2}`, a macro in every test: "
                            "choose another name\n  ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()

set_property(TARGET Qt6::Test PROPERTY INTERFACE_COMPILE_DEFINITIONS QT_TESTLIB_LIB)

set(ZZ_TEST_HEADER_ANCHOR ${PROJECT_BINARY_DIR}/test_header_anchor.cpp)
file(WRITE ${ZZ_TEST_HEADER_ANCHOR} "// The precompiled <QtTest> is built with this file.\n")
foreach(kind core gui widgets)
  add_library(zz_test_header_${kind} STATIC ${ZZ_TEST_HEADER_ANCHOR})
  target_precompile_headers(zz_test_header_${kind} PRIVATE <QtTest>)
endforeach()
target_link_libraries(zz_test_header_core PRIVATE Qt6::Test)
target_link_libraries(zz_test_header_gui PRIVATE Qt6::Test Qt6::Gui)
target_link_libraries(zz_test_header_widgets PRIVATE Qt6::Test Qt6::Widgets)

# Whether `target` brings Qt Widgets or Qt Gui to what links it: its own
# libraries and, through our own libraries, theirs (a private one brings
# nothing but the link).
function(zz_qt_kind target result)
  set(kind core)
  set(seen)
  set(queue ${target})
  # Not while(queue): a list whose last item ends in -NOTFOUND reads as false.
  list(LENGTH queue left)
  while(left GREATER 0)
    list(POP_FRONT queue current)
    list(LENGTH queue left)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL "Qt6::Widgets")
      set(${result} widgets PARENT_SCOPE)
      return()
    elseif(current STREQUAL "Qt6::Gui")
      set(kind gui)
    endif()
    get_target_property(imported ${current} IMPORTED)
    if(imported)
      continue()
    endif()
    get_target_property(used ${current} INTERFACE_LINK_LIBRARIES)
    if(current STREQUAL target)
      get_target_property(used ${current} LINK_LIBRARIES)
    endif()
    foreach(lib IN LISTS used)
      if(lib AND NOT lib MATCHES "^\\$<")
        list(APPEND queue ${lib})
      endif()
    endforeach()
    list(LENGTH queue left)
  endwhile()
  set(${result} ${kind} PARENT_SCOPE)
endfunction()

# Called once every test is defined.
function(zz_share_test_header)
  get_property(tests GLOBAL PROPERTY ZZ_QT_TESTS)
  foreach(test IN LISTS tests)
    zz_qt_kind(${test} kind)
    set_property(TARGET ${test} PROPERTY PRECOMPILE_HEADERS_REUSE_FROM zz_test_header_${kind})
  endforeach()
endfunction()
