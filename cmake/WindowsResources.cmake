# Each Windows program carries a version resource (product, version, what the
# program is, who made it: Explorer's "Details") and the viewer's icon, from
# one resource script, packaging/windows/program.rc.in, compiled by the
# resource compiler (windres with mingw-w64).
enable_language(RC)

# The holder and the year, as packaging/copyright says them:
# "Copyright: 2026 Tarvex map viewer developers".
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/copyright copyright_line REGEX "^Copyright: " LIMIT_COUNT 1)
string(REGEX REPLACE "^Copyright: *" "" copyright_line "${copyright_line}")
string(REGEX REPLACE "^[0-9, -]+ " "" TARVEX_RC_COMPANY "${copyright_line}")
if(copyright_line STREQUAL "" OR TARVEX_RC_COMPANY STREQUAL copyright_line)
  message(FATAL_ERROR "packaging/copyright has no \"Copyright: YEAR HOLDER\" line")
endif()
set(TARVEX_RC_COPYRIGHT "Copyright ${copyright_line}")

set(TARVEX_WINDOWS_ICON ${PROJECT_SOURCE_DIR}/packaging/windows/tarvex.ico) # tools/windows-icon.sh

# tarvex_windows_resources(TARGET DESCRIPTION): TARGET's .exe gets the version
# resource with DESCRIPTION as its FileDescription, and the icon.
function(tarvex_windows_resources target description)
  set(TARVEX_RC_NAME ${target})
  set(TARVEX_RC_DESCRIPTION "${description}")
  set(TARVEX_RC_ICON ${TARVEX_WINDOWS_ICON})
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${TARVEX_WINDOWS_ICON})
endfunction()

tarvex_windows_resources(tarvex-route "Tarvex route finder: the shortest walk between two cells of a map")
tarvex_windows_resources(tarvex-find "Tarvex address finder: where a game client keeps the player's position")
tarvex_windows_resources(tarvex-where "Tarvex map finder: which map of a folder the player is on")
tarvex_windows_resources(stand_in_client "Tarvex stand-in game client, for trying the viewer")
if(TARGET tarvex-viewer)
  tarvex_windows_resources(tarvex-viewer "Tarvex 1.8 map viewer")
  tarvex_windows_resources(tarvex-map2bmp "Tarvex map exporter: map files to pictures")
endif()
