# In a cross build with Qt for Windows, the programs run through Wine at build and test time (the
# icon tool, the tests) load Qt's DLLs and the MinGW runtime DLLs that Qt's DLLs are linked with.
# Wine looks for them on WINEPATH: the emulator becomes a small script that sets it and runs Wine.
# KTR_WINDOWS_RUNTIME_DLLS names those runtime DLLs for the packages.
get_target_property(qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
cmake_path(GET qt_core_dll PARENT_PATH KTR_QT_WINDOWS_BIN)
set(KTR_WINDOWS_RUNTIME_DLLS "")
set(dll_dirs ${KTR_QT_WINDOWS_BIN})
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    cmake_path(NORMAL_PATH path)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    list(APPEND KTR_WINDOWS_RUNTIME_DLLS ${path})
    cmake_path(GET path PARENT_PATH dir)
    list(APPEND dll_dirs ${dir})
endforeach()
list(REMOVE_DUPLICATES dll_dirs)
# Wine shows the build machine's file system as drive Z:.
list(TRANSFORM dll_dirs PREPEND "Z:")
list(JOIN dll_dirs ";" wine_path)
set(KTR_WINE_WITH_QT ${CMAKE_BINARY_DIR}/wine-with-qt.sh)
file(CONFIGURE OUTPUT ${KTR_WINE_WITH_QT} @ONLY CONTENT [=[#!/bin/sh
# Runs a Windows program of this build through Wine with Qt's and MinGW's DLLs on WINEPATH, in
# the caller's Wine prefix or else one of the build's own (no Mono or Gecko installers asked for).
# With KTR_WINE_OFFLINE set (the build's own tools) it runs in a network namespace of its own:
# nothing Wine starts may reach the machine's network.
if [ -n "${KTR_WINE_OFFLINE:-}" ]; then
    unset KTR_WINE_OFFLINE
    if [ "$(id -u)" = 0 ]; then exec unshare --net "$0" "$@"; fi
    exec unshare --user --map-root-user --net "$0" "$@"
fi
export WINEPREFIX="${WINEPREFIX:-@CMAKE_BINARY_DIR@/wine/build}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # Programs started together would each make the prefix and trip over one another: one makes
    # it, the others wait.
    mkdir -p "$(dirname "$WINEPREFIX")"
    flock "$WINEPREFIX.lock" sh -c \
        '[ -f "$WINEPREFIX/system.reg" ] || { wineboot --init && wineserver --wait; }' \
        >/dev/null 2>&1 </dev/null
fi
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" WINEDEBUG="${WINEDEBUG:--all}"
WINEPATH="@wine_path@${WINEPATH:+;$WINEPATH}" exec @KTR_WINE@ "$@"
]=])
file(CHMOD ${KTR_WINE_WITH_QT} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
     GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${KTR_WINE_WITH_QT})
# For the tools the build runs, which need no network.
set(KTR_OFFLINE_EMULATOR env KTR_WINE_OFFLINE=1 ${KTR_WINE_WITH_QT})
