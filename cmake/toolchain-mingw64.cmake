# Cross-build for 64-bit Windows with Debian's mingw-w64 (the posix-threads variant, whose libstdc++ has
# std::thread), the dependencies taken from the cache scripts/install-deps --windows fills, and the tests run
# under Wine. KAVREN_WIN_DEPS names that cache's prefix; scripts/build --windows passes it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(kavren_triplet x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${kavren_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${kavren_triplet}-g++-posix)
set(CMAKE_ASM_COMPILER ${kavren_triplet}-gcc-posix)
set(CMAKE_RC_COMPILER ${kavren_triplet}-windres)
set(CMAKE_AR ${kavren_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${kavren_triplet}-ranlib CACHE FILEPATH "")

if(NOT KAVREN_WIN_DEPS)
  set(KAVREN_WIN_DEPS "$ENV{KAVREN_WIN_DEPS}")
endif()
if(NOT KAVREN_WIN_DEPS OR NOT EXISTS "${KAVREN_WIN_DEPS}/lib")
  message(FATAL_ERROR "KAVREN_WIN_DEPS must name the cross-built dependencies (run scripts/install-deps --windows)")
endif()
set(KAVREN_WIN_DEPS "${KAVREN_WIN_DEPS}" CACHE PATH "Cross-built dependencies for Windows")
# The compiler checks' projects read this file again and need the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KAVREN_WIN_DEPS)

# Libraries and headers only from the cache and the mingw-w64 sysroot; programs from the build machine.
set(CMAKE_FIND_ROOT_PATH ${KAVREN_WIN_DEPS} /usr/${kavren_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ENV{PKG_CONFIG_LIBDIR} "${KAVREN_WIN_DEPS}/lib/pkgconfig:/usr/${kavren_triplet}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
set(PKG_CONFIG_ARGN --static)
# Only static libraries: the plug-in and the tools carry everything but Windows' own DLLs.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)

# Windows aligns the stack to 16 bytes only, but GCC stores spilled 256- and 512-bit vectors (the filter's
# AVX kernels) with aligned moves that assume 32 or 64: the assembler turns them into unaligned ones.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

# The C and C++ runtimes and winpthreads linked in, so nothing but system DLLs is imported.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine in the build folder's own prefix (scripts/wine-run); tests are listed when
# CTest runs, not while building, so a build never starts Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
