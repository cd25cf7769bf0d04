// What the driver offers, read once the rendering context is current: the
// version, the multitexture entry points all drawing uses, and the flags for
// driver-built mipmaps and float textures.
#pragma once

#include <string>

#include "render/opengl.h"

// The multitexture entry points, declared, fetched and cleared from one list.
typedef void(APIENTRY* CompressedTexImage2DProc)(GLenum, GLint, GLenum, GLsizei, GLsizei, GLint,
                                                 GLsizei, const void*);
typedef void(APIENTRY* ActiveTextureProc)(GLenum);
typedef void(APIENTRY* MultiTexCoord2fProc)(GLenum, GLfloat, GLfloat);

#define MULTITEXTURE_ENTRY_POINTS(X)                              \
    X(CompressedTexImage2DProc, glCompressedTexImage2DARB)        \
    X(ActiveTextureProc, glActiveTexture)                         \
    X(MultiTexCoord2fProc, glMultiTexCoord2f)

struct MultitextureEntryPoints {
#define DECLARE_ENTRY_POINT(type, name) type name = GlStandIn<type>::call;
    MULTITEXTURE_ENTRY_POINTS(DECLARE_ENTRY_POINT)
#undef DECLARE_ENTRY_POINT
};

extern MultitextureEntryPoints multitexture;

// Process-wide capability state, zero before the probe.
struct GlCapabilities {
    float glVersion = 0.0f;
    bool generateMipmapSupported = false;
    bool floatTexturesEnabled = false;
};

extern GlCapabilities glCaps;

// The probe's decisions for given driver strings, without touching GL.
struct ProbeDecision {
    float version = 0.0f;
    bool compressionMissing = false;   // "One of the extensions was not found"
    bool fetchMultitexture = false;    // look the three entry points up
    bool multitextureMissing = false;  // neither the extension nor version 1.3
    bool secondaryColorWarning = false;
    bool generateMipmap = false;
    bool floatTextures = false;
};

ProbeDecision decideGlCapabilities(const char* extensions, const char* version);

// Reads the driver's strings, fetches the entry points, shows a message for
// each missing capability and fills glCaps. Never fails.
void probeGlCapabilities();
