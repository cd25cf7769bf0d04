# The 64-bit twin's toolchain (the one the tests run under Wine).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
