# CMake toolchain file: builds a native 64-bit Windows program on Debian with
# the MinGW-w64 cross compilers (Debian package mingw-w64).
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#         -DGLPK_ROOT=<GLPK built for Windows> -DSCIP_LIBRARY=<libscip-*.dll>
#
# scripts/windows/build.sh does all of this, dependencies included.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LOTE_MINGW_TARGET x86_64-w64-mingw32)

# The "-posix" compilers, named outright rather than through Debian's
# alternatives (whose default is "-win32"): GCC 12's C++ library has
# std::thread and std::mutex only in the POSIX thread model, which rests on
# MinGW-w64's winpthreads.
set(CMAKE_C_COMPILER ${LOTE_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LOTE_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${LOTE_MINGW_TARGET}-windres)

# Libraries and headers come from the target's prefix only, never from the
# build machine's /usr; programs (code generators and the like) run on the
# build machine, so they are searched there.
set(CMAKE_FIND_ROOT_PATH /usr/${LOTE_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The MinGW run-time (libgcc, libstdc++, winpthreads) is linked into the
# program, so that it needs no DLL of MinGW's beside it: only the DLLs that
# every Windows has (KERNEL32, msvcrt, ...) and those shipped with it (SCIP's).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
