#include "render/texture.h"

#include <cstring>
#include <memory>
#include <string>

#include "assets/image.h"
#include "core/text.h"
#include "assets/rgbe.h"
#include "render/capabilities.h"
#include "platform/platform.h"
#include "render/opengl.h"

// The decoder is chosen by the first of ".bmp", ".tga", ".jpg"/".jpeg" found
// anywhere in the name, case significant. One-channel (grey) pictures are
// uploaded as luminance so they look grey, not smeared over three channels.
bool loadTexture(unsigned& texture, const char* fileName, bool mipmaps)
{
    if (!fileName)
        return false;
    std::unique_ptr<Image> image;
    if (contains(fileName, ".bmp"))
        image = loadBmpImage(fileName);
    else if (contains(fileName, ".tga"))
        image = loadTgaImage(fileName);
    else if (contains(fileName, ".jpg") || contains(fileName, ".jpeg"))
        image = loadJpegImage(fileName);
    else
        return false;
    if (!image)
        return false;

    glGenTextures(1, &texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLenum format = GL_RGB;
    if (image->channels == 4)
        format = GL_RGBA;
    else if (image->channels == 1)
        format = GL_LUMINANCE;
    if (mipmaps)
        gluBuild2DMipmaps(GL_TEXTURE_2D, image->channels, image->width, image->height, format,
                          GL_UNSIGNED_BYTE, image->pixels.data());
    else
        glTexImage2D(GL_TEXTURE_2D, 0, image->channels, image->width, image->height, 0, format,
                     GL_UNSIGNED_BYTE, image->pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmaps ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return true;
}

// Without driver-built mipmaps a mipmapped texture would never be complete,
// so it is filtered linearly from its one level instead.
bool loadRgbeTexture(unsigned& texture, const char* fileName, bool mipmaps)
{
    RgbeImage image;
    if (!fileName || !loadRgbeFile(fileName, image))
        return false;
    if (image.refusedWidth > 0)
        showMessageBox("The picture " + std::string(fileName) + " is " + std::to_string(image.refusedWidth) +
                           " x " + std::to_string(image.refusedHeight) +
                           " pixels, more than this computer can use as a texture; it is left out.",
                       "Error", MB_OK | MB_ICONEXCLAMATION, BoxOwner::GameWindow);
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    if (!mipmaps) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    } else if (glCaps.generateMipmapSupported) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP_SGIS, 1);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    if (glCaps.textureAnisotropy > 1.0f)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, glCaps.textureAnisotropy);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image.width, image.height, 0, GL_RGB, GL_FLOAT,
                 image.pixels.empty() ? nullptr : image.pixels.data());
    return true;
}
