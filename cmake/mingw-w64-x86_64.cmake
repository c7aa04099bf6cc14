# Cross-builds the Qt-free programs and their tests for 64-bit Windows with Debian's MinGW-w64
# (the POSIX thread model, which std::thread needs). The runtime is linked statically, so each
# .exe runs alone on a technician's PC and under Wine without DLLs beside it. Tests run through
# Wine: CTest starts every test executable with the emulator set here.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KTR_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KTR_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KTR_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KTR_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KTR_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Header-only packages (CLI11, nlohmann-json) serve every target and live outside the root.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(KTR_WINE wine)
if(KTR_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KTR_WINE})
endif()
