# Read by CPack for each package it makes.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX ${CPACK_TARVEX_DEB_PROGRAM_DIR})
  set(CPACK_COMPONENTS_ALL program system)
else()
  # One folder to unpack anywhere: what `cmake --install` lays out, to which
  # PortableBundle.cmake adds Qt.
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
  set(CPACK_ARCHIVE_COMPONENT_INSTALL OFF)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
