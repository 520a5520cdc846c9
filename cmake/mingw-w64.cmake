# Cross build for 64-bit Windows with MinGW-w64; programs and tests run under
# wine:
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win && ctest --test-dir build-win
# cmake/mingw-w64-i686.cmake sets TARVO_MINGW_TARGET first and includes this
# file for the 32-bit build.
if(NOT DEFINED TARVO_MINGW_TARGET)
  set(TARVO_MINGW_TARGET x86_64-w64-mingw32)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
endif()
set(CMAKE_SYSTEM_NAME Windows)
# The compilers with the POSIX thread model: GoogleTest needs std::mutex,
# which the win32 model of GCC 12 lacks. Its winpthread is linked statically
# below, so the programs need no DLL of it.
set(CMAKE_C_COMPILER ${TARVO_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVO_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVO_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TARVO_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program and library carries its own copy of the compiler's runtime, so
# that nothing but the system's own DLLs (and TarvoClient.dll) is needed on a
# plain Windows machine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest (and the test discovery during the build) runs the programs through
# wine, without its debugging chatter.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/env WINEDEBUG=-all wine)
