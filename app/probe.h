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

// Reads the driver's strings, fetches the entry points, shows a message for
// each missing capability and fills glCaps. Never fails.
void probeGlCapabilities();
