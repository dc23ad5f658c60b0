# 32-bit Windows, the shipped build of tarnwick.exe.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TARNWICK_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
