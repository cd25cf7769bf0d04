// The capability probe: once the rendering context is current it reads what
// the driver offers into render's capability record (version, mipmap and
// float-texture flags) and fetches the multitexture entry points all drawing
// uses, telling the user about each missing capability.
#pragma once

#include "render/capabilities.h"

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

// True for a renderer string that names a software rasterizer (Mesa's
// llvmpipe and softpipe, Windows' own GDI renderer and the like).
bool softwareRenderer(const char* renderer);

// The anisotropy material textures get: the configured degree (1 or less
// for trilinear, at most the driver's largest) when the configuration sets
// one (configured >= 0); otherwise the largest on hardware and trilinear on a
// software rasterizer, where anisotropic filtering costs most of a frame.
// 1 when the driver has no anisotropic filtering (largest 1 or less).
float decideTextureAnisotropy(const char* renderer, int configured, float largest);

// Reads the driver's strings, fetches the entry points, shows a message for
// each missing capability and fills glCaps; lowers the image limits to the
// driver's largest texture. Never fails.
void probeGlCapabilities();
