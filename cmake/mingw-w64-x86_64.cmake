# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the posix
# thread model, which the C++ standard library's threads need).
#   cmake --preset windows
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VAVEZE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VAVEZE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VAVEZE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VAVEZE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VAVEZE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes and winpthread linked in, so the programs run on a
# Windows that has none of mingw's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Release files without symbols: a third of the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
set(CMAKE_SHARED_LINKER_FLAGS_RELEASE_INIT "-s")
