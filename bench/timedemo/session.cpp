#include "bench/timedemo/timedemo.h"

#include <cstdio>
#include <cstring>

#include "app/config.h"
#include "app/window.h"
#include "core/text.h"
#include "platform/platform.h"
#include "render/postprocess.h"
#include "ui/screens.h"
#include "world/measure.h"
#include "world/rules.h"
#include "world/scenepass.h"
#include "world/world.h"

namespace {

// The moments the start-up questions were asked, and the boxes that said
// something went wrong.
struct BoxLog {
    Clock::time_point fullscreenAsked;
    Clock::time_point postProcessingAsked;
    bool fullscreenSeen = false;
    bool postProcessingSeen = false;
    int failures = 0;
};

BoxLog boxLog;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Answers every box the game shows: No to full screen, Yes to
// post-processing, Yes (windowed) to the full-screen fallback, OK to the
// rest. Anything but the two questions is echoed to standard error.
int answerBox(const MessageBoxRequest& request)
{
    const Clock::time_point now = Clock::now();
    if (request.caption == "Information" && startsWith(request.text, "EN - Would you like fullscreen mode?")) {
        boxLog.fullscreenAsked = now;
        boxLog.fullscreenSeen = true;
        return IDNO;
    }
    if (request.caption == "Information" && startsWith(request.text, "Would you like To use PostProcessing")) {
        boxLog.postProcessingAsked = now;
        boxLog.postProcessingSeen = true;
        return IDYES;
    }
    std::fprintf(stderr, "plemox-timedemo: message box \"%s\": %s\n",
                 windows1250ToUtf8(request.caption).c_str(), windows1250ToUtf8(request.text).c_str());
    if (request.caption == "Error" || request.caption == "ERROR" || request.caption == "Fatal Error")
        ++boxLog.failures;
    return (request.type & MB_YESNO) ? IDYES : IDOK;
}

void printStage(const char* name, double seconds, const char* note = "")
{
    std::printf("  %-28s %9.1f ms%s\n", name, seconds * 1000.0, note);
}

}  // namespace

bool pumpMessages()
{
    WindowMessage message;
    while (peekMessage(message)) {
        if (message.kind == WindowMessageKind::Quit)
            return false;
        handleWindowMessage(message);
    }
    return true;
}

bool startGame(StartUpTimes& times)
{
    setMessageBoxResponder(answerBox);
    times.begin = Clock::now();
    loadEngineConfig();
    const int answer = showMessageBox("EN - Would you like fullscreen mode? CZ - Spustit fullscreen mod?",
                                      "Information", MB_YESNO | MB_ICONQUESTION);
    windowState.fullscreen = answer == IDYES;
    if (!createGameWindow(gameTitle, config.windowWidth, config.windowHeight, config.bitsPerPixel,
                          windowState.fullscreen)) {
        std::fprintf(stderr, "plemox-timedemo: the game window could not be created\n");
        return false;
    }
    times.windowReady = Clock::now();
    showCursor(true);
    if (!pumpMessages()) {
        std::fprintf(stderr, "plemox-timedemo: start-up ended the game (see the message boxes above)\n");
        return false;
    }
    if (world.pieceCount == 0 || !boxLog.postProcessingSeen) {
        std::fprintf(stderr, "plemox-timedemo: no level was loaded\n");
        return false;
    }
    return true;
}

// The questions mark the stage borders: the full-screen one follows the
// configuration, the post-processing one follows the post-processing set-up;
// loadLevel keeps its own times.
void printStartUp(const StartUpTimes& times)
{
    const LevelLoadTimes& level = worldMeasurements.levelLoad;
    const double levelTotal = secondsBetween(level.begin, level.end);
    const double levelRest = levelTotal - level.models - level.materials - level.displayLists;
    std::printf("start-up, %d x %d, by stage:\n", config.windowWidth, config.windowHeight);
    printStage("configuration", secondsBetween(times.begin, boxLog.fullscreenAsked));
    printStage("window and context", secondsBetween(boxLog.fullscreenAsked, level.begin),
               "  (with GL state, capability probe, font)");
    printStage("level: models", level.models, "  (3DS files read and boxed)");
    printStage("level: materials", level.materials, "  (material files, RGBE maps, programs)");
    printStage("level: display lists", level.displayLists);
    printStage("level: map and glow", levelRest);
    printStage("post-processing set-up", secondsBetween(level.end, boxLog.postProcessingAsked),
               "  (program, two framebuffers)");
    printStage("music and menu", secondsBetween(boxLog.postProcessingAsked, times.windowReady),
               "  (music start, button and logo pictures)");
    printStage("total", secondsBetween(times.begin, times.windowReady));
    std::fflush(stdout);
}

void resetForRun()
{
    world.hitPoints = -1;
    endOfPassRules(world);
    world.levelComplete = 0;
    postProcessing.currentExposure = 1.0f;
    screenState.currentScreen = Playing;
}

int failuresReported()
{
    return boxLog.failures;
}

void endGame()
{
    releaseWorld(world);
    releaseScenePass();
    destroyGameWindow();
}
