# The Windows packages: a portable zip and an NSIS installer of the same files. With the window,
# ktr-setup.exe sits beside what it needs: Qt's DLLs (LGPL-3.0, kept as DLLs), the windows
# platform plugin and the native style, Qt's Chinese texts, the MinGW runtime DLLs that Qt's DLLs
# are linked with, and the licence texts. ktr-cli.exe and ktr-sim.exe need none of them.
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME "ktr-tools-${PROJECT_VERSION}-win64")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
if(NOT TARGET ktr-setup)
    return()
endif()

install(TARGETS ktr-setup RUNTIME DESTINATION .)
foreach(module Core Gui Widgets)
    install(FILES $<TARGET_FILE:Qt6::${module}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES ${KTR_WINDOWS_RUNTIME_DLLS} DESTINATION .)
# The runtime DLLs come with their symbols (libstdc++ alone is 23 MB); the packages take them
# stripped, as they take the programs.
foreach(dll ${KTR_WINDOWS_RUNTIME_DLLS})
    cmake_path(GET dll FILENAME name)
    install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded
                                  \"\${CMAKE_INSTALL_PREFIX}/${name}\" COMMAND_ERROR_IS_FATAL ANY)")
endforeach()
# Qt's texts in Chinese (the OK buttons, the edit menus) come from the build machine's Qt of the
# same version.
find_file(KTR_QT_ZH_CN qtbase_zh_CN.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
          NO_CMAKE_FIND_ROOT_PATH REQUIRED)
install(FILES ${KTR_QT_ZH_CN} DESTINATION translations)
# The licence texts of Qt and its bundled libraries, kept with the Qt installation.
install(DIRECTORY ${KTR_QT_WINDOWS_BIN}/../share/licenses/qt6-base/ DESTINATION licenses/qt)
file(GLOB mingw_licenses /usr/share/doc/gcc-mingw-w64-base/copyright
     /usr/share/doc/mingw-w64-common/copyright)
foreach(licence ${mingw_licenses})
    cmake_path(GET licence PARENT_PATH dir)
    cmake_path(GET dir FILENAME package)
    install(FILES ${licence} DESTINATION licenses/mingw-w64 RENAME ${package}.txt)
endforeach()

set(KTR_PRODUCT_NAME "KTR 设备配置")
set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_FILE_NAME "ktr-setup-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "KTR Setup")
# The Apps & features entry (installer_test.sh looks for it by this name).
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KTR Setup")
set(CPACK_PACKAGE_EXECUTABLES ktr-setup "${KTR_PRODUCT_NAME}")
# The guide beside the program's entry in the Start menu.
set(CPACK_NSIS_MENU_LINKS "guide/index.html" "${KTR_PRODUCT_NAME} 使用指南")
set(CPACK_NSIS_PACKAGE_NAME "${KTR_PRODUCT_NAME} ${PROJECT_VERSION}")
set(CPACK_NSIS_DISPLAY_NAME "${KTR_PRODUCT_NAME}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLED_ICON_NAME ktr-setup.exe)
set(CPACK_NSIS_MUI_ICON ${PROJECT_BINARY_DIR}/app/windows/ktr-setup.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_BINARY_DIR}/app/windows/ktr-setup.ico)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit Unicode installer: the Chinese texts stay whole and it runs where only 64-bit
# programs do.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# Without the rule Windows Firewall drops the devices' replies to port 1901.
set(rule "name=\\\"${KTR_PRODUCT_NAME} UDP 1901\\\"")
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "nsExec::ExecToLog 'netsh advfirewall firewall add rule ${rule} dir=in action=allow protocol=UDP localport=1901 program=\\\"$INSTDIR\\\\ktr-setup.exe\\\" enable=yes'")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "nsExec::ExecToLog 'netsh advfirewall firewall delete rule ${rule}'")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_SOURCE_DIR}/windows-cpack-config.cmake)
