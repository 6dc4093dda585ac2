# Installation layout and the Debian package.
#
#   bin/vontal, bin/vontalloginhelper
#   share/applications/<main id>.desktop, share/applications/<helper id>.desktop (hidden from menus)
#   share/icons/hicolor/scalable/apps/<main id>.svg
#   share/metainfo/<main id>.metainfo.xml
#   share/vontal/translations/vontal_<language>.qm
#
# The login helper finds vontal through its desktop entry, and GIO ignores an entry whose program
# is not on PATH, so the entries name their programs by absolute path. That path depends on the
# prefix given to `cmake --install --prefix`, hence the entries are finished at install time.

if(TARGET vontal)
  install(TARGETS vontal RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(VONTAL_DATA_DIR ${CMAKE_SOURCE_DIR}/data)
set(VONTAL_STAGED_DATA_DIR ${CMAKE_BINARY_DIR}/data)

# First pass, now: the identifiers. The install-time placeholder survives as it is.
set(VONTAL_INSTALL_BINDIR "@VONTAL_INSTALL_BINDIR@")
configure_file(${VONTAL_DATA_DIR}/vontal.desktop.in
               ${VONTAL_STAGED_DATA_DIR}/english/${VONTAL_MAIN_ID}.desktop.in @ONLY)
configure_file(${VONTAL_DATA_DIR}/vontalhelper.desktop.in
               ${VONTAL_STAGED_DATA_DIR}/english/${VONTAL_HELPER_ID}.desktop.in @ONLY)
configure_file(${VONTAL_DATA_DIR}/vontal.metainfo.xml.in
               ${VONTAL_STAGED_DATA_DIR}/english/${VONTAL_MAIN_ID}.metainfo.xml @ONLY)
unset(VONTAL_INSTALL_BINDIR)

# Then, at build time, the translations of their names and descriptions from the catalogues.
set(_vontal_translated_data)
foreach(_vontal_file ${VONTAL_MAIN_ID}.desktop.in ${VONTAL_HELPER_ID}.desktop.in
                     ${VONTAL_MAIN_ID}.metainfo.xml)
  add_custom_command(OUTPUT ${VONTAL_STAGED_DATA_DIR}/${_vontal_file}
    COMMAND vontal_translate_data ${VONTAL_STAGED_DATA_DIR}/english/${_vontal_file}
            ${VONTAL_STAGED_DATA_DIR}/${_vontal_file} ${VONTAL_CATALOGUE_DIR} ${VONTAL_LANGUAGES}
    DEPENDS vontal_translate_data ${VONTAL_STAGED_DATA_DIR}/english/${_vontal_file}
            ${VONTAL_QM_FILES}
    VERBATIM)
  list(APPEND _vontal_translated_data ${VONTAL_STAGED_DATA_DIR}/${_vontal_file})
endforeach()
add_custom_target(vontal_translated_data ALL DEPENDS ${_vontal_translated_data})

if(IS_ABSOLUTE "${CMAKE_INSTALL_BINDIR}")
  set(_vontal_bindir_at_install "${CMAKE_INSTALL_BINDIR}")
else()
  set(_vontal_bindir_at_install "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
endif()

# Second pass, at install time: the programs' absolute paths (without DESTDIR, which only stages
# the files). Each prefix gets its own staging folder, so that two installs of one build tree into
# different prefixes can run side by side.
install(CODE "
  set(VONTAL_INSTALL_BINDIR \"${_vontal_bindir_at_install}\")
  string(MD5 _vontal_prefix_hash \"\${VONTAL_INSTALL_BINDIR}\")
  set(_vontal_entries \"${VONTAL_STAGED_DATA_DIR}/install-\${_vontal_prefix_hash}\")
  foreach(_vontal_id ${VONTAL_MAIN_ID} ${VONTAL_HELPER_ID})
    configure_file(\"${VONTAL_STAGED_DATA_DIR}/\${_vontal_id}.desktop.in\"
                   \"\${_vontal_entries}/\${_vontal_id}.desktop\" @ONLY)
  endforeach()
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\"
       TYPE FILE FILES \"\${_vontal_entries}/${VONTAL_MAIN_ID}.desktop\"
                       \"\${_vontal_entries}/${VONTAL_HELPER_ID}.desktop\")
")

install(FILES ${VONTAL_DATA_DIR}/icons/vontal.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${VONTAL_MAIN_ID}.svg)
install(FILES ${VONTAL_STAGED_DATA_DIR}/${VONTAL_MAIN_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# The KWin script vontal asks KWin to load on KDE Plasma; found in the data dirs or ../share/.
install(FILES ${VONTAL_DATA_DIR}/kwin/vontal-frontmost.js DESTINATION ${CMAKE_INSTALL_DATADIR}/vontal/kwin)

# The Debian package: `cpack -G DEB` in the build tree. Its dependencies come from the libraries
# the programs link (dpkg-shlibdeps).
set(VONTAL_PACKAGE_MAINTAINER "Vontal developers <developers@vontal.invalid>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vontal)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vontal")
set(CPACK_PACKAGE_CONTACT "${VONTAL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "tells your Bluetooth LE devices which application you are working in")
# Debian wraps the long description itself only when told where lines end.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Vontal is a desktop companion for small Bluetooth Low Energy devices such as\n"
  "macropads, keyboards and little displays. It connects the devices you pick,\n"
  "unlocks them with their passwords, and sends each connected device the name\n"
  "of the application you bring to the front. A login helper can start it when\n"
  "you log in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt talks to the Bluetooth adapter through the BlueZ daemon.
# Qt's own catalogues translate its standard texts (the password field's menu) in vontal's.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bluez, qt6-translations-l10n")
# Qt loads its platform plugins at run time, so dpkg-shlibdeps cannot see them. The X11 one ships
# in libqt6gui6, which the programs link; the Wayland ones, which vontal's window and password
# alert use in a Wayland session, are in qt6-wayland, named here, since a system that installs
# without recommended packages would otherwise have no window to open there.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland")
include(cmake/documentation.cmake)
include(CPack)
