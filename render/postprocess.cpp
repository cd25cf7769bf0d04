#include "render/postprocess.h"

#include <cmath>
#include <climits>

#include "render/capabilities.h"
#include "render/overlay.h"

PostProcessing postProcessing;

namespace {

// A window coordinate as the pixel it falls in, when it is a number an int
// can hold.
bool pixelCoordinate(double windowCoordinate, int& pixel)
{
    if (!std::isfinite(windowCoordinate) || windowCoordinate <= INT_MIN ||
        windowCoordinate >= INT_MAX)
        return false;
    pixel = static_cast<int>(windowCoordinate);
    return true;
}

// Reads the pixel where the camera's view point falls in the bound scene
// framebuffer. A pixel that cannot be located keeps the last sample.
void sampleViewCentre(const Camera& camera, PostProcessing& post)
{
    GLint viewport[4] = {};
    GLdouble modelview[16] = {};
    GLdouble projection[16] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);

    GLdouble windowX = 0.0;
    GLdouble windowY = 0.0;
    GLdouble windowZ = 0.0;
    if (gluProject(camera.view.x, camera.view.y, camera.view.z, modelview, projection, viewport,
                   &windowX, &windowY, &windowZ) != GL_TRUE)
        return;
    int pixelX = 0;
    int pixelY = 0;
    if (!pixelCoordinate(windowX, pixelX) || !pixelCoordinate(windowY, pixelY))
        return;
    glReadPixels(pixelX, pixelY, 1, 1, GL_RGB, GL_FLOAT, post.sampledColor);
}

}  // namespace

void lookThrough(const Camera& camera)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.position.x, camera.position.y, camera.position.z, camera.view.x,
              camera.view.y, camera.view.z, camera.up.x, camera.up.y, camera.up.z);
}

void clearAndLookThrough(const Camera& camera)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    lookThrough(camera);
}

void beginSceneImage()
{
    postProcessing.sceneFramebuffer.begin();
}

void adaptExposure(const Camera& camera)
{
    PostProcessing& post = postProcessing;
    sampleViewCentre(camera, post);
    post.targetExposure = exposureTarget(post.sampledColor[0], post.sampledColor[1], post.sampledColor[2]);
    post.currentExposure = stepExposure(post.currentExposure, post.targetExposure);
}

void beginBloomImage()
{
    postProcessing.sceneFramebuffer.end();
    postProcessing.bloomFramebuffer.begin();
}

void endBloomImage()
{
    postProcessing.bloomFramebuffer.end();
}

void windowViewport()
{
    glViewport(0, 0, overlayArea.width, overlayArea.height);
}

void composePicture()
{
    const PostProcessing& post = postProcessing;
    const int width = overlayArea.width;
    const int height = overlayArea.height;

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();

    shaderGl.glUseProgramObjectARB(post.postProgram.program);
    shaderGl.glUniform1iARB(post.hdrTextureLocation, 0);
    shaderGl.glUniform1iARB(post.bloomTextureLocation, 1);
    shaderGl.glUniform1fARB(post.postProgram.getUniformLocation("exposure"), post.currentExposure);

    multitexture.glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, post.sceneFramebuffer.colorTexture);
    multitexture.glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, post.bloomFramebuffer.colorTexture);

    pushOverlayProjection();
    glColor3f(1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 0.0f);
    glVertex2i(0, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 0.0f);
    glVertex2i(width, 0);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 1.0f, 1.0f);
    glVertex2i(width, height);
    multitexture.glMultiTexCoord2f(GL_TEXTURE0, 0.0f, 1.0f);
    glVertex2i(0, height);
    glEnd();

    popOverlayProjection();
    shaderGl.glUseProgramObjectARB(0);
}

bool postProcessingActive()
{
    return postProcessing.postProcessingEnabled && glCaps.floatTexturesEnabled;
}

float exposureTarget(float red, float green, float blue)
{
    return redWeight * (exposureCeiling - red) + greenWeight * (exposureCeiling - green) +
           blueWeight * (exposureCeiling - blue);
}

// The comparisons are made in double precision, the steps in single.
float stepExposure(float current, float target)
{
    const double tolerance = 0.005;
    if (target - tolerance > current)
        return current + exposureStep;
    if (target + tolerance < current)
        return current - exposureStep;
    return current;
}

void setUpPostProcessing()
{
    PostProcessing& post = postProcessing;
    post.postProgram.load("Data/Shaders/Post.vert", "Data/Shaders/Post.frag");
    post.hdrTextureLocation = post.postProgram.getUniformLocation("hdrTexture");
    post.bloomTextureLocation = post.postProgram.getUniformLocation("bloomTexture");

    const int width = overlayArea.width;
    const int height = overlayArea.height;
    if (post.sceneFramebuffer.create(width, height, GL_RGBA, GL_FLOAT, GL_LINEAR))
        post.postProcessingEnabled = true;
    if (post.bloomFramebuffer.create(width / 8, height / 8, GL_RGBA, GL_FLOAT, GL_LINEAR))
        post.postProcessingEnabled = true;
}

void releasePostProcessing()
{
    postProcessing.postProgram.release();
}
