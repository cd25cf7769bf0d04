#include "render/overlay.h"

#include "render/capabilities.h"
#include "render/opengl.h"

OverlayArea overlayArea;

void pushOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, overlayArea.width, 0.0, overlayArea.height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popOverlayProjection()
{
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void disableTextureUnits(int first)
{
    for (int unit = first; unit <= 3; ++unit) {
        multitexture.glActiveTexture(GL_TEXTURE0 + unit);
        glDisable(GL_TEXTURE_2D);
    }
}
