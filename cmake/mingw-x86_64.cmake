# The 64-bit twin's toolchain (built and unit-tested beside the shipped program).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
