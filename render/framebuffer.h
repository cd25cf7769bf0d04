// Off-screen render targets of the EXT_framebuffer_object extension: one
// colour texture and one depth renderbuffer each.
#pragma once

#include "render/capabilities.h"

// The seventeen framebuffer entry points in the order they are fetched.
#define FRAMEBUFFER_ENTRY_POINTS(X)                                                    \
    X(PFNGLISRENDERBUFFEREXTPROC, glIsRenderbufferEXT)                                 \
    X(PFNGLBINDRENDERBUFFEREXTPROC, glBindRenderbufferEXT)                             \
    X(PFNGLDELETERENDERBUFFERSEXTPROC, glDeleteRenderbuffersEXT)                       \
    X(PFNGLGENRENDERBUFFERSEXTPROC, glGenRenderbuffersEXT)                             \
    X(PFNGLRENDERBUFFERSTORAGEEXTPROC, glRenderbufferStorageEXT)                       \
    X(PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC, glGetRenderbufferParameterivEXT)         \
    X(PFNGLISFRAMEBUFFEREXTPROC, glIsFramebufferEXT)                                   \
    X(PFNGLBINDFRAMEBUFFEREXTPROC, glBindFramebufferEXT)                               \
    X(PFNGLDELETEFRAMEBUFFERSEXTPROC, glDeleteFramebuffersEXT)                         \
    X(PFNGLGENFRAMEBUFFERSEXTPROC, glGenFramebuffersEXT)                               \
    X(PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC, glCheckFramebufferStatusEXT)                 \
    X(PFNGLFRAMEBUFFERTEXTURE1DEXTPROC, glFramebufferTexture1DEXT)                     \
    X(PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, glFramebufferTexture2DEXT)                     \
    X(PFNGLFRAMEBUFFERTEXTURE3DEXTPROC, glFramebufferTexture3DEXT)                     \
    X(PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC, glFramebufferRenderbufferEXT)               \
    X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC, glGetFramebufferAttachmentParameterivEXT) \
    X(PFNGLGENERATEMIPMAPEXTPROC, glGenerateMipmapEXT)

PLEMOX_ENTRY_POINT_TABLE(FramebufferEntryPoints, FRAMEBUFFER_ENTRY_POINTS)

// Filled by every Framebuffer::create; all seventeen are present afterwards.
extern FramebufferEntryPoints framebufferGl;

// Where create looks its entry points up: the platform's lookup, or a test's.
extern GlProcLookup framebufferLookup;

// Needs "EXT_framebuffer_object" in the extension string and all seventeen
// entry points from lookup; otherwise tells the user ("ERROR", no owner) and
// ends the process with exit status -1. Fills the table on success.
void requireFramebufferSupport(const char* extensions, GlProcLookup lookup);

struct Framebuffer {
    int width = 0;                   // size of the texture, depth buffer and viewport
    int height = 0;
    unsigned framebuffer = 0;        // framebuffer object name
    unsigned depthRenderbuffer = 0;  // depth buffer
    unsigned colorTexture = 0;       // colour buffer, read as a texture afterwards

    // Checks the extension, fetches the entry points, records the size and
    // makes the framebuffer, its depth renderbuffer and colour texture (the
    // format serves as internal and pixel format). False when the driver
    // reports the configuration unsupported.
    bool create(int width, int height, GLenum format, GLenum type, GLenum filter);
    // Draws into this target from now on: attaches the buffers, sets the
    // viewport to its size, clears it with (0, 0, 0, 0) and loads the
    // identity. Always true.
    bool begin();
    // Draws into the window again; the viewport is left for the caller.
    // Always true.
    bool end();
};
