# Run by CPack once the files of a package are staged. For the portable
# archive it makes the program folder run without Qt installed:
# - lib/: the Qt libraries the programs and plugins load, and the few
#   libraries Debian installs only for Qt (a desktop without Qt lacks them);
# - plugins/: the xcb and offscreen platforms and the compose and IBus input
#   methods;
# - qt.conf, so that Qt looks for its plugins in the folder;
# - a run path relative to each file ($ORIGIN), so the folder runs from
#   wherever it is unpacked;
# - licenses/: the Debian copyright file of every library carried.
# Every other library (C and C++ runtimes, X11 and xcb, OpenGL, fontconfig,
# FreeType, HarfBuzz, GLib, D-Bus, ICU, zlib) comes from the system.
if(NOT CPACK_GENERATOR STREQUAL "TGZ")
  return()
endif()

set(carried_library_names
  "Qt6[A-Za-z]+" double-conversion b2 md4c pcre2-16 xkbcommon-x11
  xcb-icccm xcb-image xcb-keysyms xcb-render-util xcb-util xcb-xkb)
list(JOIN carried_library_names "|" names)
set(carried_library_pattern "^lib(${names})\\.so")
set(carried_plugins
  platforms/libqxcb.so platforms/libqoffscreen.so
  platforminputcontexts/libcomposeplatforminputcontextplugin.so
  platforminputcontexts/libibusplatforminputcontextplugin.so)

if(NOT CPACK_TARVEX_PATCHELF)
  message(FATAL_ERROR "patchelf is needed for the portable archive (Debian package patchelf)")
endif()
file(GLOB_RECURSE viewer LIST_DIRECTORIES false "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/tarvex-viewer")
if(NOT viewer)
  set(viewer "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/tarvex-viewer")
endif()
get_filename_component(folder "${viewer}" DIRECTORY)
set(programs "${folder}/tarvex-viewer" "${folder}/tarvex-map2bmp")

function(set_run_path file run_path)
  execute_process(COMMAND ${CPACK_TARVEX_PATCHELF} --set-rpath "${run_path}" "${file}" COMMAND_ERROR_IS_FATAL ANY)
endfunction()

function(copy_license library)
  execute_process(COMMAND dpkg-query --search "${library}" OUTPUT_VARIABLE owner RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "no Debian package owns ${library}: its licence cannot be carried")
  endif()
  string(REGEX REPLACE "[:].*" "" package "${owner}")
  file(COPY_FILE /usr/share/doc/${package}/copyright "${folder}/licenses/${package}.copyright")
endfunction()

set(plugin_sources)
foreach(plugin ${carried_plugins})
  list(APPEND plugin_sources "${CPACK_TARVEX_QT_PLUGINS_DIR}/${plugin}")
endforeach()
file(GET_RUNTIME_DEPENDENCIES
  EXECUTABLES ${programs}
  MODULES ${plugin_sources}
  RESOLVED_DEPENDENCIES_VAR libraries
  UNRESOLVED_DEPENDENCIES_VAR missing)
if(missing)
  message(FATAL_ERROR "libraries not found: ${missing}")
endif()

file(MAKE_DIRECTORY "${folder}/lib" "${folder}/licenses")
foreach(library ${libraries})
  get_filename_component(soname "${library}" NAME)
  if(NOT soname MATCHES "${carried_library_pattern}")
    continue()
  endif()
  file(REAL_PATH "${library}" real)
  file(COPY_FILE "${real}" "${folder}/lib/${soname}")
  set_run_path("${folder}/lib/${soname}" "$ORIGIN")
  copy_license("${real}")
endforeach()

foreach(plugin ${carried_plugins})
  get_filename_component(category ${plugin} DIRECTORY)
  file(MAKE_DIRECTORY "${folder}/plugins/${category}")
  file(COPY_FILE "${CPACK_TARVEX_QT_PLUGINS_DIR}/${plugin}" "${folder}/plugins/${plugin}")
  set_run_path("${folder}/plugins/${plugin}" "$ORIGIN/../../lib")
endforeach()

foreach(program ${programs})
  set_run_path("${program}" "$ORIGIN/lib")
endforeach()
file(WRITE "${folder}/qt.conf" "[Paths]\nPrefix = .\nLibraries = lib\nPlugins = plugins\n")
