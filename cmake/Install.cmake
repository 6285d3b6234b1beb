# Install rules and the Debian package. The executable goes to bin/, its read-only
# data to share/raccolio/ (where the installed program looks for it), and the desktop
# integration (menu entry, icon, AppStream metainfo) to the usual XDG places.
include(GNUInstallDirs)

set(RACCOLIO_APP_ID org.raccolio.Raccolio)

install(TARGETS raccolio RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/raccolio)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${RACCOLIO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/${RACCOLIO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/raccolio.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_SOURCE_DIR}/data/raccolio.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps RENAME raccolio.png)

# Debian policy: every package has its copyright file and its changelog (gzip -9n, so the
# package is the same at every build).
set(RACCOLIO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/raccolio)
configure_file(${CMAKE_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
find_program(RACCOLIO_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
    COMMAND ${RACCOLIO_GZIP} -9nf -k ${CMAKE_BINARY_DIR}/doc/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog VERBATIM)
add_custom_target(raccolio_doc ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${RACCOLIO_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME raccolio)
set(CPACK_PACKAGE_VENDOR "Raccolio")
set(CPACK_PACKAGE_CONTACT "Raccolio <raccolio@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Catalogo di libri, musica, supporti e video")
set(CPACK_PACKAGE_DESCRIPTION
    "Raccolio cataloga una collezione privata in quattro archivi (libri, musica, supporti di memoria, video) con ricerche, stampe e statistiche.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The libraries come from dpkg-shlibdeps when it is there; the platform plugins and the
# Italian Qt dialogs are loaded at run time, so no library dependency names them.
find_program(RACCOLIO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(RACCOLIO_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6printsupport6 (>= 6.4), libsqlite3-0 (>= 3.40), libicu72, libzip4, qt6-qpa-plugins, qt6-translations-l10n")
endif()
include(CPack)
