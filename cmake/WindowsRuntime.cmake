# What the Windows programs need beside them: Qt's DLLs, the mingw-w64
# run-time DLLs that Qt was built with, and the plugins Qt looks for in the
# program's folder (platforms/, styles/). The build copies them into bin/ so
# the programs there run as they are; cmake/PackagingWindows.cmake ships them.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets)
set(TARVEX_QT_BIN_DIR $<TARGET_FILE_DIR:Qt6::Core>)
set(TARVEX_WINDOWS_DLLS $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>)
if(MINGW)
  list(APPEND TARVEX_WINDOWS_DLLS ${TARVEX_QT_BIN_DIR}/libstdc++-6.dll ${TARVEX_QT_BIN_DIR}/libgcc_s_seh-1.dll
       ${TARVEX_QT_BIN_DIR}/libwinpthread-1.dll)
endif()
set(TARVEX_PLATFORM_PLUGIN $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>)
set(TARVEX_STYLE_PLUGIN $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>)

add_custom_target(windows_runtime ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TARVEX_BIN_DIR}/platforms ${TARVEX_BIN_DIR}/styles
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVEX_WINDOWS_DLLS} ${TARVEX_BIN_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVEX_PLATFORM_PLUGIN} ${TARVEX_BIN_DIR}/platforms
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TARVEX_STYLE_PLUGIN} ${TARVEX_BIN_DIR}/styles
  COMMENT "Copying Qt and the run-time DLLs beside the programs"
  VERBATIM)
