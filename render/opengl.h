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
#ifndef GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

// A do-nothing function of any entry-point type, returning zero. The tables
// hold these until the driver's functions are fetched, so a call made before
// (or without) a successful fetch does nothing instead of jumping to null.
template <typename Function>
struct GlStandIn;
template <typename Result, typename... Args>
struct GlStandIn<Result(APIENTRY*)(Args...)> {
    static Result APIENTRY call(Args...) { return Result(); }
};
