#include "render/framebuffer.h"

#include <cstdlib>
#include <cstring>

#include "core/text.h"
#include "platform/platform.h"

FramebufferEntryPoints framebufferGl;
GlProcLookup framebufferLookup = getGlProcAddress;

namespace {

// Without the extension the frame cannot be drawn as designed: tell the
// user and end the process at once.
[[noreturn]] void failFramebufferSupport(const char* message)
{
    showMessageBox(message, "ERROR", MB_OK | MB_ICONEXCLAMATION);
    std::exit(-1);
}

}  // namespace

void requireFramebufferSupport(const char* extensions, GlProcLookup lookup)
{
    if (!contains(extensions, "EXT_framebuffer_object"))
        failFramebufferSupport("EXT_framebuffer_object extension was not found");

    if (!fetchEntryPoints(framebufferGl, lookup))
        failFramebufferSupport("One or more EXT_framebuffer_object functions were not found");
}

bool Framebuffer::create(int newWidth, int newHeight, GLenum format, GLenum type, GLenum filter)
{
    requireFramebufferSupport(glExtensionString(), framebufferLookup);

    width = newWidth;
    height = newHeight;

    framebufferGl.glGenFramebuffersEXT(1, &framebuffer);
    framebufferGl.glGenRenderbuffersEXT(1, &depthRenderbuffer);

    framebufferGl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
    framebufferGl.glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);

    if (framebufferGl.glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) ==
        GL_FRAMEBUFFER_UNSUPPORTED_EXT) {
        showMessageBox("Cannot find support for FBO's Shutting Down", "Error",
                       MB_OK | MB_ICONINFORMATION, BoxOwner::GameWindow);
        return false;
    }

    glGenTextures(1, &colorTexture);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, type,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    return true;
}

bool Framebuffer::begin()
{
    framebufferGl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, framebuffer);
    framebufferGl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, depthRenderbuffer);
    framebufferGl.glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                            GL_TEXTURE_2D, colorTexture, 0);
    framebufferGl.glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                               GL_RENDERBUFFER_EXT, depthRenderbuffer);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    return true;
}

bool Framebuffer::end()
{
    framebufferGl.glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    framebufferGl.glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    return true;
}
