// The OpenGL headers every drawing module uses: fixed-function GL 1.x, GLU and
// the extension enumerants. Extension functions are never called through
// prototypes; each subsystem keeps its own table of fetched entry points.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glext.h>

#ifndef GL_OCCLUSION_TEST_HP
#define GL_OCCLUSION_TEST_HP 0x8165
#define GL_OCCLUSION_TEST_RESULT_HP 0x8166
#endif
#ifndef GL_GENERATE_MIPMAP_SGIS
#define GL_GENERATE_MIPMAP_SGIS 0x8191
#endif
#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#endif
