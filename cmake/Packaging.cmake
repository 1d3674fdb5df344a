# Installing and packaging.
#
# `cmake --install` lays out one self-contained program folder at the
# prefix: the viewer and the batch exporter, "MapInfo.txt" beside the viewer
# (it is read from the viewer's own folder), the README, the manual pages in
# man/man1 and the sample maps in samples/. CPack makes from the same build
# - a portable archive (.tar.gz) of that folder, to which
#   PortableBundle.cmake adds the Qt libraries, plugins and qt.conf, and
# - a Debian package with the programs in /usr/lib/tarvex, the bundled
#   MapInfo.txt as the configuration file /etc/tarvex/MapInfo.txt (the
#   program folder's MapInfo.txt links to it), links to both programs in
#   /usr/bin, manual pages, sample maps in /usr/share/tarvex/samples, a
#   desktop entry, icons and AppStream metainfo.
include(GNUInstallDirs)

set(TARVEX_APP_ID org.tarvex.MapViewer)
set(TARVEX_DEB_PROGRAM_DIR /usr/lib/tarvex)
set(TARVEX_DEB_CONFIG_FILE /etc/tarvex/MapInfo.txt)
set(TARVEX_MAN_PAGES doc/tarvex-viewer.1 doc/tarvex-map2bmp.1 doc/tarvex-find.1 doc/tarvex-route.1 doc/tarvex-where.1)
set(TARVEX_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${TARVEX_PACKAGING_DIR})

# "program": what both packages hold in the program folder.
install(TARGETS tarvex-viewer tarvex-map2bmp tarvex-route tarvex-find tarvex-where RUNTIME DESTINATION . COMPONENT program)
list(TRANSFORM TARVEX_SAMPLE_FILES PREPEND ${TARVEX_SAMPLES_DIR}/ OUTPUT_VARIABLE sample_files)
list(TRANSFORM TARVEX_SAMPLE_MORE_FILES PREPEND ${TARVEX_SAMPLES_DIR}/more/ OUTPUT_VARIABLE sample_more_files)

# "folder": the rest of the portable folder; the Debian package puts these
# where Debian expects them instead.
install(FILES ${TARVEX_BIN_DIR}/MapInfo.txt README.md DESTINATION . COMPONENT folder)
install(FILES ${TARVEX_README_FILES} DESTINATION doc COMPONENT folder) # what the README links to
install(FILES ${TARVEX_MAN_PAGES} DESTINATION man/man1 COMPONENT folder)
install(FILES ${sample_files} DESTINATION samples COMPONENT folder)
install(FILES ${sample_more_files} DESTINATION samples/more COMPONENT folder)

# "system": the Debian package's files outside its program folder. Their
# destinations lead from /usr/lib/tarvex back to "/".
set(TARVEX_SYSTEM_ROOT ../../..)
set(system_usr ${TARVEX_SYSTEM_ROOT}/usr)
set(system_share ${system_usr}/${CMAKE_INSTALL_DATAROOTDIR})
set(TARVEX_DEB_DOC_DIR ${system_share}/doc/tarvex-map-viewer)

set(TARVEX_LINKS ${TARVEX_PACKAGING_DIR}/links)
file(MAKE_DIRECTORY ${TARVEX_LINKS}/bin)
foreach(program tarvex-viewer tarvex-map2bmp tarvex-route tarvex-find tarvex-where)
  file(CREATE_LINK ../lib/tarvex/${program} ${TARVEX_LINKS}/bin/${program} SYMBOLIC)
  install(FILES ${TARVEX_LINKS}/bin/${program} DESTINATION ${system_usr}/${CMAKE_INSTALL_BINDIR}
          COMPONENT system EXCLUDE_FROM_ALL)
endforeach()
file(CREATE_LINK ${TARVEX_DEB_CONFIG_FILE} ${TARVEX_LINKS}/MapInfo.txt SYMBOLIC)
install(FILES ${TARVEX_LINKS}/MapInfo.txt DESTINATION . COMPONENT system EXCLUDE_FROM_ALL)
get_filename_component(config_dir ${TARVEX_DEB_CONFIG_FILE} DIRECTORY)
install(FILES ${TARVEX_BIN_DIR}/MapInfo.txt DESTINATION ${TARVEX_SYSTEM_ROOT}${config_dir}
        COMPONENT system EXCLUDE_FROM_ALL)
file(WRITE ${TARVEX_PACKAGING_DIR}/conffiles "${TARVEX_DEB_CONFIG_FILE}\n")
install(FILES ${sample_files} DESTINATION ${system_share}/tarvex/samples COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${sample_more_files} DESTINATION ${system_share}/tarvex/samples/more COMPONENT system EXCLUDE_FROM_ALL)

# Manual pages and the changelog compressed as Debian wants them.
set(compressed_files)
foreach(source ${TARVEX_MAN_PAGES} packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(compressed ${TARVEX_PACKAGING_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/${source} ${compressed}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source}
    VERBATIM)
  list(APPEND compressed_files ${compressed})
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${compressed_files})
install(FILES ${TARVEX_PACKAGING_DIR}/tarvex-viewer.1.gz ${TARVEX_PACKAGING_DIR}/tarvex-map2bmp.1.gz
              ${TARVEX_PACKAGING_DIR}/tarvex-find.1.gz ${TARVEX_PACKAGING_DIR}/tarvex-route.1.gz
              ${TARVEX_PACKAGING_DIR}/tarvex-where.1.gz
        DESTINATION ${system_share}/man/man1 COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TARVEX_PACKAGING_DIR}/changelog.gz packaging/copyright README.md
        DESTINATION ${TARVEX_DEB_DOC_DIR} COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TARVEX_README_FILES} DESTINATION ${TARVEX_DEB_DOC_DIR}/doc COMPONENT system EXCLUDE_FROM_ALL)

install(FILES app/${TARVEX_APP_ID}.desktop DESTINATION ${system_share}/applications
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES packaging/${TARVEX_APP_ID}.metainfo.xml DESTINATION ${system_share}/metainfo
        COMPONENT system EXCLUDE_FROM_ALL)
foreach(size 16 32 48)
  install(FILES app/icons/hicolor/tarvex-${size}.png RENAME ${TARVEX_APP_ID}.png
          DESTINATION ${system_share}/icons/hicolor/${size}x${size}/apps
          COMPONENT system EXCLUDE_FROM_ALL)
endforeach()
install(FILES app/icons/hicolor/tarvex.svg RENAME ${TARVEX_APP_ID}.svg
        DESTINATION ${system_share}/icons/hicolor/scalable/apps COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME tarvex-map-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Tarvex map viewer developers")
set(CPACK_PACKAGE_CONTACT "Tarvex map viewer developers <maintainers@tarvex.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for the map files of the Tarvex 1.8 game client")
set(CPACK_PACKAGE_DESCRIPTION "Shows Tarvex 1.8 .map files as walkability pictures (open cells black,
blocked red, flagged blue), lists their links from MapInfo.txt, zooms and
saves them as 16-colour BMP files, and marks the player's position read from
the running game client. Includes tarvex-map2bmp, which converts many maps at
once, and sample maps in /usr/share/tarvex/samples.")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR TGZ DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${TARVEX_PACKAGING_DIR}/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_TARVEX_DEB_PROGRAM_DIR ${TARVEX_DEB_PROGRAM_DIR})

# What the portable folder carries of Qt (read by PortableBundle.cmake).
find_package(Qt6 REQUIRED COMPONENTS Core)
find_program(TARVEX_PATCHELF patchelf)
set(CPACK_TARVEX_PATCHELF ${TARVEX_PATCHELF})
set(CPACK_TARVEX_QT_PLUGINS_DIR ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PortableBundle.cmake)

# What each package holds, and where its files go.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagePerGenerator.cmake)
include(CPack)
