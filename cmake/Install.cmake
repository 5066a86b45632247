# Where everything goes on `cmake --install` (GNU layout) and how `make
# package` wraps it into a Debian package with CPack. Included at the end of
# the top-level CMakeLists.txt, once every program target exists.

include(GNUInstallDirs)

# The id under which desktops know the panel: desktop entry, metainfo, icon.


# Directories 0755, as a package's must be, whatever the builder's umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(zz_programs 6175ZIZ 6175ZIZ-sim)
foreach(program IN ITEMS 6175ZIZ-ctl 6175ZIZ-scpi)
  if(TARGET ${program})
    list(APPEND zz_programs ${program})
  endif()
endforeach()
install(TARGETS ${zz_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
install(FILES ${packaging}/${ZZ_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${ZZ_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN ITEMS 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/logo${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${ZZ_APP_ID}.png)
endforeach()

# Manual pages, compressed as Debian wants them.
foreach(program IN LISTS zz_programs)
  set(page ${PROJECT_BINARY_DIR}/packaging/man/${program}.1)
  set(packed ${PROJECT_BINARY_DIR}/man/${program}.1.gz)
  add_custom_command(OUTPUT ${packed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND gzip -9n -c ${page} > ${packed}
    DEPENDS ${page} VERBATIM)
  list(APPEND zz_manual_pages ${packed})
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${zz_manual_pages})
install(FILES ${zz_manual_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(TARGET 6175ZIZ-scpi)
  install(FILES ${packaging}/6175ZIZ-scpi@.service DESTINATION lib/systemd/user)
endif()

# The package's documents: licence and changelog.
set(zz_doc ${CMAKE_INSTALL_DATADIR}/doc/6175ziz)
set(changelog ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_command(OUTPUT ${changelog}
  COMMAND gzip -9n -c ${packaging}/changelog > ${changelog}
  DEPENDS ${packaging}/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${changelog})
install(FILES ${packaging}/copyright ${changelog} DESTINATION ${zz_doc})

# make package: a .deb of everything above.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME 6175ziz)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${ZZ_COMPANY})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "virtual front panel of the 6175 programmable resistance box")
# The long description: CPack indents it and marks the empty line as a
# paragraph break.
set(CPACK_PACKAGE_DESCRIPTION
"One window, drawn like the instrument's front panel, sets the resistance
the 6175 box presents, 0.0 to 99999.9 ohms in 0.1 ohm steps, over its
RS-232 link. A lamp tells whether the box got the last value.

Also included: an instrument simulator on a pseudo-terminal, a command-line
tool for scripts (values, sweeps, lists, temperature sensors) and a SCPI
server that makes the box a network instrument.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZZ_COMPANY} <support@quellor.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_RESOURCE_FILE_LICENSE ${packaging}/copyright)
include(CPack)
