# Installation and the Debian package.
#
#   cmake --install build [--prefix /usr]      programs, desktop integration, docs
#   (cd build && cpack)                        zemcad_<version>_<arch>.deb
#
# The desktop entry, the MIME types of problem (.zem) and series (.zes) files
# and the icon let a double click on a file open it in zemcad; Debian's
# triggers refresh the desktop and MIME databases when the package is
# installed.
include(GNUInstallDirs)

set(ZEM_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(ZEM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zemcad)

if(TARGET zemcalc)
  install(TARGETS zemcalc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ZEM_PACKAGING_DIR}/zemcalc.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
if(TARGET zemcad)
  install(TARGETS zemcad RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${ZEM_PACKAGING_DIR}/zemcad.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${ZEM_PACKAGING_DIR}/zemcad.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${ZEM_PACKAGING_DIR}/zemcad-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME zemcad.xml)
  install(FILES ${ZEM_PACKAGING_DIR}/zemcad.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${ZEM_DOC_DIR}/examples)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/docs/verification.md DESTINATION ${ZEM_DOC_DIR})

# --- The Debian package. ----------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zemcad)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "ZEM CAD 2")
set(CPACK_PACKAGE_CONTACT "ZEM CAD 2 developers <zemcad@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "thin-shell calculations by the finite-difference method")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Cylindrical shells under axisymmetric and general loads, stepped cylinders,
a cylinder with a stiffening ring, a cylindrical panel and a flat ring,
solved by finite differences: the desktop program zemcad (Russian user
interface) and the batch runner zemcalc.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The Debian 12 runtime of the programs: the Qt 6 libraries the windows link,
# the platform plugins that show them, and the C++ runtime. Named here rather
# than found by dpkg-shlibdeps, so the list is the same on every build host.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), qt6-qpa-plugins, libstdc++6 (>= 12), libgcc-s1, libc6 (>= 2.34)")
set(CPACK_STRIP_FILES ON)
include(CPack)
