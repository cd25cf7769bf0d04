# The engine's pure unit tests (no OpenGL, no SDL) for the Windows program,
# run under Wine by tests/wine/unit.sh, with GoogleTest built from Debian's
# sources for this toolchain; and the tests of the Win32 backends.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_library(plemox_test_support STATIC ${CMAKE_SOURCE_DIR}/tests/support/test_support.cpp)
target_include_directories(plemox_test_support PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(plemox_test_support PUBLIC plemox_app gtest)

set(WINE_TESTS)
foreach(dir core app assets render world ui wine)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${dir}/*_test.cpp)
  list(FILTER tests EXCLUDE REGEX "_(gl|posix)_test\\.cpp$")
  # The SDL sound layer's own test: the Win32 one is under tests/wine.
  list(FILTER tests EXCLUDE REGEX "/app/sound_test\\.cpp$")
  # The shader sources go through the host's reference compiler, on the host.
  list(FILTER tests EXCLUDE REGEX "/render/shader_sources_test\\.cpp$")
  if(tests)
    add_executable(${dir}_tests ${tests})
    target_link_libraries(${dir}_tests PRIVATE plemox_test_support gtest_main)
    set_target_properties(${dir}_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    list(APPEND WINE_TESTS ${dir}_tests)
  endif()
endforeach()
add_custom_target(windows_unit_tests DEPENDS ${WINE_TESTS})
