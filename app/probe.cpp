#include "app/probe.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/config.h"
#include "assets/image.h"
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

bool softwareRenderer(const char* renderer)
{
    static const char* const names[] = {"llvmpipe", "softpipe", "swrast", "Software Rasterizer",
                                        "GDI Generic", "SwiftShader"};
    for (const char* name : names)
        if (contains(renderer, name))
            return true;
    return false;
}

float decideTextureAnisotropy(const char* renderer, int configured, float largest)
{
    if (!(largest > 1.0f))
        return 1.0f;
    if (configured >= 0)
        return configured <= 1 ? 1.0f : std::min(static_cast<float>(configured), largest);
    return softwareRenderer(renderer) ? 1.0f : largest;
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

    GLfloat largestAnisotropy = 1.0f;
    if (contains(extensions, "GL_EXT_texture_filter_anisotropic"))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &largestAnisotropy);
    glCaps.textureAnisotropy = decideTextureAnisotropy(renderer, config.textureAnisotropy, largestAnisotropy);

    GLint largestTexture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
    imageLimits.largestSide = largestTexture > 0 ? std::min(largestTexture, maxImageSide) : maxImageSide;
}
