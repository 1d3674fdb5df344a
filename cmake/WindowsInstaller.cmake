# Run by CPack after it packed the Windows zip (CPACK_POST_BUILD_SCRIPTS):
# makes the installer, packaging/windows/installer.nsi, with makensis from
# the very files CPack laid out (and stripped) for the zip, and writes it
# beside the zip.
#
# Why an installer script of our own rather than CPack's NSIS generator: the
# uninstaller has to keep a MapInfo.txt the user changed and say so, and must
# register per user, in HKCU, without asking for administrator rights; CPack's
# template does neither without being rewritten, and also writes keys and
# offers PATH changes of its own. Here the one script says all that is done.
set(staged ${CPACK_TEMPORARY_INSTALL_DIRECTORY})
if(NOT EXISTS ${staged}/tarvex-viewer.exe)
  set(staged ${staged}/${CPACK_PACKAGE_FILE_NAME}) # the zip's top folder
endif()
if(NOT EXISTS ${staged}/tarvex-viewer.exe OR NOT EXISTS ${staged}/MapInfo.txt)
  message(FATAL_ERROR "The files laid out for the zip were not found in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()

# Installed by name, removed by name; MapInfo.txt is the installer script's own.
file(GLOB_RECURSE files RELATIVE ${staged} LIST_DIRECTORIES false ${staged}/*)
list(REMOVE_ITEM files MapInfo.txt)
list(SORT files)
set(installed "; The files of the zip, by name (made by cmake/WindowsInstaller.cmake)\n")
set(removed "${installed}")
set(folders "")
set(size 0)
set(out_path "<none>") # the folder of the last SetOutPath
foreach(file IN LISTS files)
  if(file MATCHES "[\"$`]")
    message(FATAL_ERROR "A file name the installer script cannot quote: ${file}")
  endif()
  get_filename_component(folder ${file} DIRECTORY)
  string(REPLACE "/" "\\" windows_file "${file}")
  string(REPLACE "/" "\\" windows_folder "${folder}")
  if(NOT folder STREQUAL out_path)
    if(folder STREQUAL "")
      string(APPEND installed "SetOutPath \"$INSTDIR\"\n")
    else()
      string(APPEND installed "SetOutPath \"$INSTDIR\\${windows_folder}\"\n")
      list(APPEND folders "${windows_folder}")
    endif()
    set(out_path "${folder}")
  endif()
  string(APPEND installed "File \"${staged}/${file}\"\n")
  string(APPEND removed "Delete \"$INSTDIR\\${windows_file}\"\n")
  file(SIZE ${staged}/${file} bytes)
  math(EXPR size "${size} + ${bytes}")
endforeach()
# The folders the files lie in, the deepest first, each only if left empty.
list(REMOVE_DUPLICATES folders)
list(SORT folders)
list(REVERSE folders)
foreach(folder IN LISTS folders)
  string(APPEND removed "RMDir \"$INSTDIR\\${folder}\"\n")
endforeach()
file(SIZE ${staged}/MapInfo.txt bytes)
math(EXPR size_kb "(${size} + ${bytes} + 1023) / 1024")

set(includes ${CPACK_TOPLEVEL_DIRECTORY}/installer)
file(MAKE_DIRECTORY ${includes})
file(WRITE ${includes}/installed-files.nsh "${installed}")
file(WRITE ${includes}/removed-files.nsh "${removed}")
file(WRITE ${includes}/sizes.nsh "!define ESTIMATED_SIZE_KB ${size_kb}\n")

set(setup ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}-setup.exe)
execute_process(COMMAND ${CPACK_TARVEX_MAKENSIS} -V2 -INPUTCHARSET UTF8
    -DVERSION=${CPACK_PACKAGE_VERSION} "-DPRODUCT=${CPACK_TARVEX_PRODUCT}"
    "-DPUBLISHER=${CPACK_PACKAGE_VENDOR}" "-DCOPYRIGHT=${CPACK_TARVEX_COPYRIGHT}"
    -DSTAGED=${staged} -DINCLUDES=${includes} -DICON=${CPACK_TARVEX_ICON} -DOUTFILE=${setup}
    ${CPACK_TARVEX_INSTALLER_SCRIPT}
  RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "makensis could not make ${setup}")
endif()
message(STATUS "- installer: ${setup}")
