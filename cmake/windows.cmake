# The Windows program, cross-built with mingw-w64: libjpeg built from source
# (see scripts/windows.sh), the system's OpenGL and GLU, and a statically
# linked runtime, so Plemox.exe needs no DLL beyond the system's own. The
# top-level file picks the Win32 platform backend and the multimedia sound
# layer.
enable_language(RC)
set(PLEMOX_LIBJPEG_DIR "" CACHE PATH "libjpeg built for this toolchain (folder with include/ and lib/)")
if(NOT EXISTS "${PLEMOX_LIBJPEG_DIR}/lib/libjpeg.a")
  message(FATAL_ERROR "PLEMOX_LIBJPEG_DIR must hold lib/libjpeg.a; scripts/windows.sh builds it")
endif()
add_library(JPEG::JPEG STATIC IMPORTED)
set_target_properties(JPEG::JPEG PROPERTIES
  IMPORTED_LOCATION "${PLEMOX_LIBJPEG_DIR}/lib/libjpeg.a"
  INTERFACE_INCLUDE_DIRECTORIES "${PLEMOX_LIBJPEG_DIR}/include")

add_library(OpenGL::GL INTERFACE IMPORTED)
set_target_properties(OpenGL::GL PROPERTIES INTERFACE_LINK_LIBRARIES opengl32)
set(GLU_LIBRARY glu32)

# The system's OpenGL header includes windows.h: keep it lean and free of
# the min and max macros; M_PI as on Linux.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _USE_MATH_DEFINES)

# No C or C++ runtime DLL beside the program.
add_link_options(-static -static-libgcc -static-libstdc++)

# The icon (resource 101) is made by the content generator on the host into
# the game folder; the resource script is written here so it can name it.
set(PLEMOX_ICON "${CMAKE_BINARY_DIR}/game/plemox.ico" CACHE FILEPATH "The program's icon")
set(PLEMOX_RESOURCE_SCRIPT ${CMAKE_BINARY_DIR}/plemox.rc)
file(WRITE ${PLEMOX_RESOURCE_SCRIPT} "101 ICON \"${PLEMOX_ICON}\"\n")
