# Installation and packages on Windows: one folder with the executables,
# the resources and the manuals beside them (the programs look there
# first), Qt's DLLs and plugins put there by windeployqt, an MSI installer
# (WiX) and a portable ZIP of the same folder. The settings of an installed
# copy (in Program Files, not writable) live in
# %APPDATA%\quellan-bx-scope\BX-SCOPE.ini.
install(TARGETS quellan-bx-cli RUNTIME DESTINATION .)
if(TARGET bx-sim)
  install(TARGETS bx-sim RUNTIME DESTINATION .)
endif()
install(FILES ${BX_RESOURCE_FILES} DESTINATION .)
if(BX_MANUAL_PDFS)
  install(FILES ${BX_MANUAL_PDFS} DESTINATION .)
endif()
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/windows/README-Windows.txt DESTINATION . RENAME README.txt)

if(TARGET quellan-bx-scope)
  # A window of its own, no console behind it.
  set_target_properties(quellan-bx-scope PROPERTIES WIN32_EXECUTABLE ON)
  install(TARGETS quellan-bx-scope RUNTIME DESTINATION .)
  get_target_property(BX_QMAKE Qt6::qmake IMPORTED_LOCATION)
  get_filename_component(BX_QT_BIN "${BX_QMAKE}" DIRECTORY)
  find_program(BX_WINDEPLOYQT windeployqt HINTS "${BX_QT_BIN}" REQUIRED)
  install(CODE "execute_process(COMMAND \"${BX_WINDEPLOYQT}\" --release --no-compiler-runtime
    --dir \"\${CMAKE_INSTALL_PREFIX}\" \"\${CMAKE_INSTALL_PREFIX}/quellan-bx-scope.exe\" COMMAND_ERROR_IS_FATAL ANY)")
  # The C++ run-time DLLs beside the programs: the ZIP runs without an installer.
  set(CMAKE_INSTALL_SYSTEM_RUNTIME_DESTINATION .)
  include(InstallRequiredSystemLibraries)
endif()

set(CPACK_GENERATOR "WIX;ZIP")
set(CPACK_PACKAGE_NAME Quellan-BX-Scope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quellan-BX-Scope developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for laser light-band sensors")
set(CPACK_PACKAGE_FILE_NAME quellan-bx-scope-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Quellan-BX-Scope)
set(CPACK_PACKAGE_EXECUTABLES quellan-bx-scope "Quellan-BX-Scope")
# Never change: Windows Installer knows every version of the product by it,
# so a new version replaces the installed one instead of sitting beside it.
set(CPACK_WIX_UPGRADE_GUID 6F1C3E52-8A47-4D0B-9E21-5B7D2C4A9F13)
set(CPACK_WIX_PROGRAM_MENU_FOLDER Quellan-BX-Scope)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/copyright)
include(CPack)
