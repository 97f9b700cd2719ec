# Cross-building for 64-bit Windows with Debian's mingw-w64, the POSIX
# threads variant (its libstdc++ has std::thread and friends).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUONDEL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${QUONDEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QUONDEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${QUONDEL_MINGW}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QUONDEL_MINGW})
# Programs come from the build machine, libraries and headers only from
# the target's root and the prefixes given on the command line.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# libgcc, libstdc++ and winpthread linked in: only SDL2.dll sits beside
# the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# The same bytes from every build of the same source, SDL's included: no
# link time in the PE header, no source or build directory in the code.
string(APPEND CMAKE_EXE_LINKER_FLAGS_INIT " -Wl,--no-insert-timestamp")
set(CMAKE_SHARED_LINKER_FLAGS_INIT -Wl,--no-insert-timestamp)
set(CMAKE_C_FLAGS_INIT "-ffile-prefix-map=${CMAKE_SOURCE_DIR}/= -ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
set(CMAKE_CXX_FLAGS_INIT "${CMAKE_C_FLAGS_INIT}")
