# The Windows zip: one folder that runs by double-clicking tarvex-viewer.exe,
# with no Qt installed. It holds the viewer, the batch exporter, the route
# and address-finding programs, the stand-in client, the DLLs and plugins they
# need (cmake/WindowsRuntime.cmake), the sample maps with their "MapInfo.txt"
# beside the viewer, and the README. The installer, made beside it, installs
# the same files.
install(TARGETS tarvex-viewer tarvex-map2bmp tarvex-route tarvex-find tarvex-where stand_in_client RUNTIME DESTINATION .)
install(FILES ${TARVEX_WINDOWS_DLLS} ${TARVEX_BIN_DIR}/MapInfo.txt README.md DESTINATION .)
install(FILES ${TARVEX_README_FILES} DESTINATION doc) # what the README links to
install(FILES ${TARVEX_PLATFORM_PLUGIN} DESTINATION platforms)
install(FILES ${TARVEX_STYLE_PLUGIN} DESTINATION styles)
# The viewer starts in its own folder when double-clicked: the maps are listed at once.
set(sample_maps ${TARVEX_SAMPLE_FILES})
list(FILTER sample_maps INCLUDE REGEX "\\.map$")
list(TRANSFORM sample_maps PREPEND ${TARVEX_SAMPLES_DIR}/)
list(TRANSFORM TARVEX_SAMPLE_MORE_FILES PREPEND ${TARVEX_SAMPLES_DIR}/more/ OUTPUT_VARIABLE sample_more_maps)
install(FILES ${sample_maps} DESTINATION .) # by name: never what else lies in the folder
install(FILES ${sample_more_maps} DESTINATION more)

set(CPACK_PACKAGE_NAME tarvex-map-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${TARVEX_RC_COMPANY}) # packaging/copyright's holder
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer for the map files of the Tarvex 1.8 game client")
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR ZIP)
# Beside the zip, the installer of the same files (cmake/WindowsInstaller.cmake),
# where NSIS is installed (Debian's nsis; tools/windows-checks.sh installs it).
find_program(TARVEX_MAKENSIS makensis)
if(TARVEX_MAKENSIS)
  set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/WindowsInstaller.cmake)
else()
  message(STATUS "makensis not found: cpack makes the zip, not the installer")
endif()
set(CPACK_TARVEX_MAKENSIS ${TARVEX_MAKENSIS})
set(CPACK_TARVEX_INSTALLER_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows/installer.nsi)
set(CPACK_TARVEX_PRODUCT ${PROJECT_DESCRIPTION})
set(CPACK_TARVEX_COPYRIGHT ${TARVEX_RC_COPYRIGHT})
set(CPACK_TARVEX_ICON ${TARVEX_WINDOWS_ICON})
set(CPACK_STRIP_FILES ON)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
