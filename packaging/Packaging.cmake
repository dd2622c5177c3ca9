# The Debian package: "cpack -G DEB" in the build folder packs whatever the install rules
# install, under /usr, into tindrel_<version>_<arch>.deb.

# Documents the package system asks for: the copyright statement and the change log,
# compressed the way it expects.
set(TINDREL_DOC ${CMAKE_INSTALL_DATADIR}/doc/tindrel)
find_program(TINDREL_GZIP gzip)
if(TINDREL_GZIP)
  set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
    COMMAND ${TINDREL_GZIP} -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${changelog}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog)
  add_custom_target(tindrel_changelog ALL DEPENDS ${changelog})
  install(FILES ${changelog} DESTINATION ${TINDREL_DOC})
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${TINDREL_DOC})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tindrel)
set(CPACK_PACKAGE_VENDOR "Tindrel developers")
set(CPACK_PACKAGE_CONTACT "Tindrel developers <tindrel@example.org>")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TINDREL_HOMEPAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "voice messages for e-mail, and a software ordering wizard")
set(CPACK_PACKAGE_DESCRIPTION "\
Tindrel turns a spoken message into a compressed sound file and attaches it
to the e-mail being written: it steers the sound recorder and the e-mail
program by their windows and keys. Voice files saved earlier can be browsed,
played and attached again.

Order Now is an ordering wizard for buying software by credit card: by phone,
fax, online, e-mail or mail. Its order forms are checked, then copied for an
e-mail or printed.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Libraries the programs link come from dpkg-shlibdeps; what they load or start at run time
# is named here: Qt's X11 platform plugin, the desktop's opener, the fonts of the windows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, xdg-utils, fonts-liberation2")
# On a Wayland session the programs run on its X server (Xwayland); without one the
# wizard says so, and the recorder records, in a native window. There the wizard
# reaches the e-mail programs' native windows through the desktop's accessibility
# bus (at-spi2-core); without it, it says what to install.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xwayland, qt6-wayland, at-spi2-core")

include(CPack)
