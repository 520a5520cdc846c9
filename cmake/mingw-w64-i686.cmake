# Cross build for 32-bit Windows (i686) with MinGW-w64; programs and tests run
# under 32-bit wine:
#   cmake --preset mingw32 && cmake --build build-win32 && ctest --test-dir build-win32
set(TARVO_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
