#include "world/lensflare.h"

#include "render/capabilities.h"
#include "render/opengl.h"
#include "render/overlay.h"
#include "world/world.h"

void drawLensFlare(unsigned texture, const Vector3& center, float red, float green, float blue, float alpha,
                   float halfSize)
{
    disableTextureUnits(1);
    multitexture.glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);

    // The transpose of the view's rotation undoes it, so the sprite faces the viewer.
    GLdouble m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    const GLdouble billboard[16] = {m[0], m[4], m[8], 0.0, m[1], m[5], m[9], 0.0,
                                    m[2], m[6], m[10], 0.0, 0.0, 0.0, 0.0, 1.0};

    glPushMatrix();
    glTranslatef(center.x, center.y, center.z);
    glMultMatrixd(billboard);
    glColor4f(red, green, blue, alpha);
    multitexture.glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    const float s = halfSize;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-s, -s, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(s, -s, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(s, s, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-s, s, 0.0f);
    glEnd();

    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

void drawLightGlows(const LevelLights& lights)
{
    glDepthMask(GL_FALSE);
    for (int i = 0; i < lights.lightCount && i < maxLights; ++i) {
        const Vector3& p = lights.lightPositions[i];
        drawLensFlare(lights.glowTexture, p + Vector3(0.1f, 0.1f, 0.05f), 1.0f, 1.0f, 1.0f, 1.0f, glowHalfSize);
        drawLensFlare(lights.glowTexture, p + Vector3(0.2f, 0.2f, 0.1f), 1.0f, 1.0f, 1.0f, 1.0f, glowHalfSize);
    }
    glDepthMask(GL_TRUE);
}
