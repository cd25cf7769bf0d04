#include "bench/timedemo/timedemo.h"

#include <cstdio>

#include "platform/platform.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "ui/screens.h"
#include "world/frame.h"
#include "world/measure.h"
#include "world/world.h"

// Composition is what renderWorldFrame spends outside the passes (clears,
// framebuffer switches, the exposure read-back, the composing quad). The
// frame ends with the logo overlay, which leaves the texture units as the
// play screen does; the hit-point label and bar are not drawn.
bool profileWalk(const std::vector<Camera>& walk)
{
    double worldFrame = 0.0;  // the whole renderWorldFrame
    double rest = 0.0;        // logo overlay and buffer swap
    resetForRun();
    worldMeasurements.passTimes = PassTimes();
    worldMeasurements.timePasses = true;
    bool completed = true;
    for (const Camera& camera : walk) {
        if (!pumpMessages()) {
            completed = false;
            break;
        }
        screenState.currentScreen = Playing;
        world.playerCamera = camera;
        finishGlWork();
        const Clock::time_point start = Clock::now();
        renderWorldFrame(world, world.playerCamera);
        finishGlWork();
        const Clock::time_point drawn = Clock::now();
        drawLogoOverlay();
        swapBuffers();
        finishShownFrame();
        worldFrame += secondsBetween(start, drawn);
        rest += secondsBetween(drawn, Clock::now());
    }
    worldMeasurements.timePasses = false;
    if (!completed)
        return false;

    const double perFrame = 1000.0 / static_cast<double>(walk.size());
    const PassTimes& passes = worldMeasurements.passTimes;
    const double passSum = passes.logicPass + passes.scenePass[0] + passes.scenePass[1];
    const bool active = postProcessingActive();
    std::printf("profile (post-processing %s, %zu frames, finished at every boundary), ms per frame:\n",
                active ? "on" : "off", walk.size());
    const auto row = [](const char* name, double milliseconds) {
        std::printf("  %-50s %8.2f\n", name, milliseconds);
    };
    row("logic pass (collision, occlusion tests, pickups)", passes.logicPass * perFrame);
    row(active ? "scene pass 1 (full-size framebuffer)" : "scene pass 1 (rules only, nothing drawn)",
        passes.scenePass[0] * perFrame);
    row(active ? "scene pass 2 (one-eighth framebuffer)" : "scene pass 2 (window)",
        passes.scenePass[1] * perFrame);
    row("composition (clears, targets, read-back, quad)", (worldFrame - passSum) * perFrame);
    row("= renderWorldFrame", worldFrame * perFrame);
    row("logo overlay and buffer swap", rest * perFrame);
    return true;
}

