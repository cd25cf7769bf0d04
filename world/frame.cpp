#include "world/frame.h"

#include <chrono>

#include "render/opengl.h"
#include "render/postprocess.h"
#include "world/measure.h"

namespace {

// One pass of the world; while the benchmarks time the passes, with the GL
// work before and after it finished and its time added up.
void runPass(World& world, bool scenePass, bool shown, int scenePassOfFrame)
{
    if (!worldMeasurements.timePasses) {
        world.renderWorld(scenePass, shown);
        return;
    }
    using Clock = std::chrono::steady_clock;
    finishGlWork();
    const Clock::time_point start = Clock::now();
    world.renderWorld(scenePass, shown);
    finishGlWork();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    PassTimes& times = worldMeasurements.passTimes;
    if (scenePass)
        times.scenePass[scenePassOfFrame] += seconds;
    else
        times.logicPass += seconds;
}

}  // namespace

void finishGlWork()
{
    glFinish();
    GLubyte pixel[4] = {};
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

void finishShownFrame()
{
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_FRONT);
    finishGlWork();
    glReadBuffer(static_cast<GLenum>(readBuffer));
}

void renderWorldFrame(World& world, Camera camera)
{
    const bool active = postProcessingActive();

    // The logic pass's depth fill and occlusion tests look from this frame's
    // camera into a cleared depth buffer. Left with what the previous frame
    // left behind (the composing quad's depth and an identity view when
    // post-processing is on) they would find every prop hidden.
    glClear(GL_DEPTH_BUFFER_BIT);
    lookThrough(camera);
    runPass(world, false, true, 0);

    // Without post-processing the clear before the second scene pass erases
    // the first one: it still applies the rules, but draws nothing.
    if (active) {
        beginSceneImage();
        clearAndLookThrough(camera);
    }
    runPass(world, true, active, 0);

    if (active) {
        adaptExposure(camera);
        beginBloomImage();
    }

    clearAndLookThrough(camera);
    runPass(world, true, true, 1);

    if (active)
        endBloomImage();
    windowViewport();
    if (active)
        composePicture();
}
