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

# Qt's Japanese texts (from Debian's qt6-translations-l10n) and the given .qm files as resources
# under :/i18n, where the programs look first.
function(pobelo_windows_translations target)
  set(qt_texts /usr/share/qt6/translations/qtbase_ja.qm)
  if(NOT EXISTS ${qt_texts})
    message(FATAL_ERROR "${qt_texts} is missing: install qt6-translations-l10n")
  endif()
  set(files ${qt_texts} ${ARGN})
  foreach(file IN LISTS files)
    get_filename_component(name ${file} NAME)
    set_source_files_properties(${file} PROPERTIES QT_RESOURCE_ALIAS ${name})
  endforeach()
  qt_add_resources(${target} "${target}_i18n" PREFIX "/i18n" FILES ${files})
endfunction()
