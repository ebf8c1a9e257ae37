# Installation and the Debian package: the program, the sample programs, a desktop entry with
# its icon, and the sample settings, which a user copies into ~/.config/quandrix/.
include(GNUInstallDirs)

install(TARGETS quandrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The installed program directory starts the samples by these names through the search path.
install(PROGRAMS $<TARGET_FILE:plon_sample> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME quandrix-plon-sample)
install(PROGRAMS $<TARGET_FILE:kudre_sample> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME quandrix-kudre-sample)
install(FILES data/desktop/quandrix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/quandrix.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES data/settings/MD_Templates.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quandrix/settings)
install(FILES data/settings-templates/MD_Programme.installed.ini
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quandrix/settings RENAME MD_Programme.ini)

set(CPACK_PACKAGE_NAME quandrix)
set(CPACK_PACKAGE_VENDOR "Quandrix")
set(CPACK_PACKAGE_CONTACT "Quandrix <quandrix@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Mandorel: unattended report runs of the suite")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The shared libraries the binaries link, as Debian packages; the X11 platform plugin comes
# with libqt6gui6.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not linked, yet needed: the Wayland platform plugin for the window on a Wayland session,
# Xvfb for the private display every test run that starts its program plays on, and the
# toolkit's own dialog texts (buttons, file dialog) in German.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, xvfb, qt6-translations-l10n")
include(CPack)
