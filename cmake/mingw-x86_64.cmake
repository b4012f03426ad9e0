# Cross-build for 64-bit Windows with MinGW-w64. The product is the 32-bit build (the client is a 32-bit
# program); this one runs the same tests under a 64-bit Wine where a machine cannot run 32-bit programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLM_MINGW_PREFIX x86_64-w64-mingw32)
# The posix threading flavour provides std::mutex and std::thread for the test framework.
find_program(CMAKE_C_COMPILER NAMES ${TOLM_MINGW_PREFIX}-gcc-posix ${TOLM_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${TOLM_MINGW_PREFIX}-g++-posix ${TOLM_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TOLM_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TOLM_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything from the compiler's runtime is linked in, so the DLL imports only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine through scripts/wine-run.sh: the top-level CMakeLists.txt sets that
# up, because only there the source folder is known for certain.
