# Cross build for 32-bit Windows with Debian's mingw-w64 i686 compiler:
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
#         -DZEB_WITH_SDL=OFF -DZEB_WITH_DATA=OFF [-DZEB_WIN_TESTS=ON]
# The runtime is linked statically: the programs need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(ZEB_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ZEB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZEB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZEB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZEB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Floating point in SSE2 registers: double arithmetic then rounds as on the
# 64-bit Linux build (the x87 unit keeps extra precision, so a scaled length
# such as 300 * 0.7 would truncate to 209 there). Needs an SSE2 processor.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
