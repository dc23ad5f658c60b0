# 64-bit Windows. Used to run the test suite under a 64-bit-only Wine on
# hosts whose kernel cannot execute 32-bit Linux programs (so wine32 cannot run).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TARNWICK_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
