# What `cmake --install` puts in place, and the Debian package `make package` builds from it.

set(TESSALINE_DATA ${PROJECT_SOURCE_DIR}/data)

# The module that listens to films (FFmpeg, WebRTC), loaded by the programs on first use.
install(TARGETS tessaline-listen LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/tessaline)
# The desktop entry and the icon, for the desktop's menu and its file associations.
install(FILES ${TESSALINE_DATA}/tessaline.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TESSALINE_DATA}/tessaline.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${TESSALINE_DATA}/icons/tessaline-48.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps RENAME tessaline.png)
# The shipped defaults, copied into the user's configuration folder on first use.
install(DIRECTORY ${TESSALINE_DATA}/defaults/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tessaline)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Orvendel <tessaline@orvendel.invalid>")
set(CPACK_PACKAGE_VENDOR "Orvendel")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "prepare and repair subtitle files")
set(CPACK_PACKAGE_DESCRIPTION "Tessaline shifts and stretches subtitle timings, converts \
between SubRip, MicroDVD and SubStation Alpha, cleans up hand-made files, re-cuts lines to a \
length and converts Cyrillic code pages: a desktop program and a command-line program for \
batch use.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orvendel.invalid/tessaline")
# The shared libraries the programs and the listening module link (Qt 6 widgets, FreeType,
# uchardet, utf8proc, FFmpeg, WebRTC, ...) give most dependencies (dpkg-shlibdeps names their
# packages); the bitmap font of the pixel widths is a file, so it is named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
# Qt's own texts (the file dialogs, the standard buttons) in the language of a language file.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
include(CPack)
