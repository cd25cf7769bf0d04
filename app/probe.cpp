#include "app/probe.h"

#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "platform/platform.h"

namespace {

const char* glString(GLenum name)
{
    return reinterpret_cast<const char*>(glGetString(name));
}

}  // namespace

ProbeDecision decideGlCapabilities(const char* extensions, const char* version)
{
    ProbeDecision decision;
    if (!version || std::sscanf(version, "%f", &decision.version) != 1)
        decision.version = 0.0f;

    if (!contains(extensions, "ARB_texture_compression"))
        decision.compressionMissing = true;
    else if (contains(extensions, "GL_ARB_multitexture") || decision.version >= 1.3f)
        decision.fetchMultitexture = true;
    else
        decision.multitextureMissing = true;

    decision.secondaryColorWarning =
        !contains(extensions, "GL_EXT_secondary_color") && decision.version < 1.4f;
    decision.generateMipmap =
        contains(extensions, "GL_SGIS_generate_mipmap") || contains(extensions, "GL_SGIX_generate_mipmap");
    decision.floatTextures = contains(extensions, "GL_ARB_texture_float");
    return decision;
}

void probeGlCapabilities()
{
    const char* extensions = glExtensionString();
    const char* version = glString(GL_VERSION);
    const char* renderer = glString(GL_RENDERER);
    const ProbeDecision decision = decideGlCapabilities(extensions, version);
    glCaps.glVersion = decision.version;

    if (decision.compressionMissing || decision.multitextureMissing)
        showMessageBox("One of the extensions was not found", "ERROR", MB_OK | MB_ICONEXCLAMATION);
    if (decision.fetchMultitexture) {
        // A missing entry point keeps its do-nothing stand-in, so drawing goes
        // on with one texture unit instead of calling through null.
        if (!fetchEntryPoints(multitexture, getGlProcAddress))
            showMessageBox("One or more extension functions were not found", "ERROR",
                           MB_OK | MB_ICONEXCLAMATION);
    }
    if (decision.secondaryColorWarning) {
        char text[512];
        std::snprintf(text, sizeof text, "GL_EXT_secondary_color extension isn't supported on %s",
                      renderer ? renderer : "");
        showMessageBox(text, "Warning", MB_OK, BoxOwner::GameWindow);
    }
    glCaps.generateMipmapSupported = decision.generateMipmap;
    glCaps.floatTexturesEnabled = decision.floatTextures;
}
