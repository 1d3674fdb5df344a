# Read by CPack for each package it makes.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_PACKAGING_INSTALL_PREFIX /opt/tarvex)
  set(CPACK_COMPONENTS_ALL program desktop)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  # One folder to unpack anywhere.
  set(CPACK_PACKAGING_INSTALL_PREFIX /)
  set(CPACK_COMPONENTS_ALL program)
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
