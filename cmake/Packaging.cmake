# Installing and packaging.
#
# `cmake --install` lays out one self-contained program folder at the
# prefix: the viewer, the batch exporter, "MapInfo.txt" beside the viewer
# (it is read from the viewer's own folder) and the README. CPack makes from
# the same build
# - a portable archive (.tar.gz) of that folder, and
# - a Debian package with the folder as /opt/tarvex, links to both programs
#   in /usr/bin, a desktop entry and the icon in the hicolor theme.
include(GNUInstallDirs)

set(TARVEX_APP_ID org.tarvex.MapViewer)
install(TARGETS tarvex-viewer tarvex-map2bmp RUNTIME DESTINATION . COMPONENT program)
install(FILES ${TARVEX_BIN_DIR}/MapInfo.txt README.md DESTINATION . COMPONENT program)

# The desktop integration lies outside the program folder: only the Debian
# package, whose folder is /opt/tarvex, takes it ("../.." is then "/").
set(TARVEX_SYSTEM_ROOT ../..)
set(TARVEX_LINKS ${CMAKE_BINARY_DIR}/system-links)
file(MAKE_DIRECTORY ${TARVEX_LINKS})
foreach(program tarvex-viewer tarvex-map2bmp)
  file(CREATE_LINK /opt/tarvex/${program} ${TARVEX_LINKS}/${program} SYMBOLIC)
  install(FILES ${TARVEX_LINKS}/${program} DESTINATION ${TARVEX_SYSTEM_ROOT}/usr/${CMAKE_INSTALL_BINDIR}
          COMPONENT desktop EXCLUDE_FROM_ALL)
endforeach()
install(FILES app/${TARVEX_APP_ID}.desktop
        DESTINATION ${TARVEX_SYSTEM_ROOT}/usr/${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT desktop EXCLUDE_FROM_ALL)
foreach(size 16 32 48)
  install(FILES app/icons/hicolor/tarvex-${size}.png RENAME ${TARVEX_APP_ID}.png
          DESTINATION ${TARVEX_SYSTEM_ROOT}/usr/${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT desktop EXCLUDE_FROM_ALL)
endforeach()
install(FILES app/icons/hicolor/tarvex.svg RENAME ${TARVEX_APP_ID}.svg
        DESTINATION ${TARVEX_SYSTEM_ROOT}/usr/${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
        COMPONENT desktop EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME tarvex-map-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvex map viewer developers")
set(CPACK_PACKAGE_CONTACT "Tarvex map viewer developers <maintainers@tarvex.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer for the map files of the Tarvex 1.8 game client")
set(CPACK_PACKAGE_DESCRIPTION "Shows Tarvex 1.8 .map files as walkability pictures (open cells black,
blocked red, flagged blue), lists their links from MapInfo.txt, zooms and saves
them as 16-colour BMP files, and marks the player's position read from the
running game client. Includes tarvex-map2bmp, which converts many maps at once.")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# What each package holds, and where its files go.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagePerGenerator.cmake)
include(CPack)
