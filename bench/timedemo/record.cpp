#include "bench/timedemo/timedemo.h"

#include <cstdio>

#include "app/config.h"
#include "app/input.h"
#include "app/window.h"
#include "platform/platform.h"
#include "ui/screens.h"
#include "world/camera.h"
#include "world/world.h"

// The end of the level does not end the walk. With a script the keys are
// simulated, turns are made with rotateView and the game moves at a fixed
// rate; the script ends by pressing Escape.
int recordWalk(const Options& options)
{
    std::vector<ScriptFrame> script;
    if (options.scripted && !parseScript(options.script, script))
        return 2;
    StartUpTimes times;
    if (!startGame(times))
        return 1;
    printStartUp(times);

    std::vector<Camera> walk;
    screenState.currentScreen = Playing;
    size_t frameIndex = 0;
    int heldKey = 0;
    bool closed = false;
    bool levelEnded = false;
    for (;;) {
        WindowMessage message;
        if (peekMessage(message)) {
            if (message.kind == WindowMessageKind::Quit) {
                closed = true;
                break;
            }
            handleWindowMessage(message);
            continue;
        }
        if (options.scripted) {
            const ScriptFrame step = frameIndex < script.size() ? script[frameIndex] : ScriptFrame();
            if (heldKey != step.key) {
                if (heldKey)
                    simulateKey(heldKey, false);
                if (step.key)
                    simulateKey(step.key, true);
                heldKey = step.key;
            }
            if (step.turnDegrees != 0.0f)
                rotateView(world.playerCamera, step.turnDegrees * degreesToRadians);
            world.playerCamera.view.y += step.lift;
            if (frameIndex >= script.size())
                simulateKey(VK_ESCAPE, true);
            ++frameIndex;
        }
        walk.push_back(world.playerCamera);
        drawGameFrame();
        swapBuffers();
        if (screenState.currentScreen == EndingStory) {
            // The last bottle was taken; the walk goes on until Escape.
            if (!levelEnded)
                std::printf("the level ended (every bottle collected); recording goes on\n");
            levelEnded = true;
            world.levelComplete = 0;
            screenState.currentScreen = Playing;
        }
        if (options.scripted) {
            windowState.frameRate = scriptFrameRate;
            setCursorPos(config.windowWidth / 2, config.windowHeight / 2);
        }
        processInput();
        if (screenState.currentScreen != Playing)
            break;
    }
    if (heldKey)
        simulateKey(heldKey, false);
    simulateKey(VK_ESCAPE, false);
    if (options.scripted && !walk.empty())
        walk.pop_back();  // the frame on which Escape was pressed
    if (walk.empty())
        std::fprintf(stderr, "plemox-timedemo: nothing was recorded\n");
    const bool written = !walk.empty() && writeWalk(options.recordPath, walk, options);
    if (written)
        std::printf("recorded %zu cameras into %s%s\n", walk.size(), options.recordPath.c_str(),
                    closed ? " (window closed)" : "");
    endGame();
    return written ? 0 : 1;
}

