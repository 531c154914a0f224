# What a Windows program of Pobelo carries: its version and icon, Qt's platform plugins linked in
# (a static build: no DLLs to lose), and the Japanese texts of Qt and of the program as resources.
function(pobelo_windows_program target description)
  set(POBELO_RC_FILE ${target}.exe)
  set(POBELO_RC_NAME ${target})
  set(POBELO_RC_DESCRIPTION "${description}")
  set(POBELO_RC_ICON ${PROJECT_SOURCE_DIR}/package/windows/pobelo.ico)
  set(POBELO_RC_MANIFEST ${PROJECT_SOURCE_DIR}/package/windows/program.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/package/windows/program.rc.in
                 ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  pobelo_windows_static(${target} ${ARGN})
endfunction()

# Links a program statically, with the platform plugins it may be started on (and the Windows
# style, given WIDGETS).
function(pobelo_windows_static target)
  set(plugins Qt6::QWindowsIntegrationPlugin Qt6::QOffscreenIntegrationPlugin)
  if("WIDGETS" IN_LIST ARGN)
    list(APPEND plugins Qt6::QWindowsVistaStylePlugin)
  endif()
  qt_import_plugins(${target} INCLUDE ${plugins})
  target_link_options(${target} PRIVATE -static)
endfunction()
