// plemox-timedemo: the real game (same start-up, same frame function, same
// data) in a window at the configured size, replaying a recorded walk through
// the shipped level. The walk runs twice, with post-processing on and off,
// and each run prints one line in the classic timedemo form
//     N frames S seconds F fps min/avg/max/stddev ms
// (frame time = drawFrame + buffer swap, closed by glFinish so the GPU work is
// inside it). A third run draws only one scene pass per frame into the
// window (the least the picture needs: no logic pass, no second pass, no
// post-processing; the props shown are those run 1 found visible) and gives
// the floor the first two runs are measured against, and the overdraw: the
// fragments of that pass that passed the depth test, per window pixel. A
// fourth run puts a glFinish around every world pass and prints where a frame
// goes: logic pass, the two scene passes and the composition. The start-up
// time is printed split by stage.
//
//   plemox-timedemo [--game-dir DIR] [--walk FILE] [--frame-times FILE]
//                   [--shots DIR N] [--state FILE] [--no-profile]
//   plemox-timedemo [--game-dir DIR] --record FILE [--script "W100 R90 ..."]
//
// --record starts the game on the play screen and writes the player camera of
// every frame until Escape; with --script the keys and turns come from the
// script instead of a person (see scriptHelp).
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "world/camera.h"
#include "app/config.h"
#include "app/input.h"
#include "app/probe.h"
#include "app/window.h"
#include "core/text.h"
#include "assets/writers.h"
#include "platform/platform.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "ui/screens.h"
#include "world/scene.h"
#include "world/world.h"

namespace {

using Clock = std::chrono::steady_clock;

// Untimed frames drawn at the first camera before each timed run, so shader
// variants and driver caches built on first use are not counted.
constexpr int warmUpFrames = 5;
// A scripted recording moves as if the game ran at this rate: 50 units per
// second make 5 units per frame (the most one pass walks), whatever the real
// speed of the machine.
constexpr float scriptFrameRate = 10.0f;
// Degrees a scripted turn adds per frame.
constexpr float scriptTurnStep = 10.0f;
constexpr float degreesToRadians = 3.14159265f / 180.0f;

const char* const usage =
    "usage: plemox-timedemo [--game-dir DIR] [--walk FILE] [--frame-times FILE]\n"
    "       plemox-timedemo [--game-dir DIR] --record FILE [--script TEXT]\n"
    "  --game-dir DIR      the game folder holding Data/ (default: the working directory)\n"
    "  --walk FILE         the walk to replay (default: bench/timedemo_walk.txt)\n"
    "  --frame-times FILE  write every frame time in ms, one per line: run 1, then run 2\n"
    "  --shots DIR N       write every N-th frame of runs 1 and 2 (from the first) as BMP into DIR\n"
    "  --state FILE        write the game state after every frame of runs 1 and 2: run, frame,\n"
    "                      hit points, bottles, camera position and view point\n"
    "  --no-profile        skip the profiled run\n"
    "  --no-depth-prepass  draw the scene passes without their depth pre-pass (for comparison)\n"
    "  --record FILE       play from the player start and record the camera until Escape\n"
    "  --script TEXT       with --record: walk by script instead of by hand\n";

const char* const scriptHelp =
    "script words: W<n> S<n> A<n> D<n> hold that key for n frames, R<deg> L<deg> turn right or\n"
    "left (10 degrees a frame), V<dy> raise the point looked at by dy (one frame), P<n> stand\n"
    "for n frames; the walk ends with Escape\n";

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

// The processor time of the whole process so far (the renderer's threads
// included): less disturbed than wall time by other programs on the machine.
double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// What a frame cost: wall time and processor time, in seconds.
struct FrameCost {
    double wall = 0.0;
    double processor = 0.0;
};

struct Options {
    std::string gameDir;
    std::string walkPath = PLEMOX_TIMEDEMO_WALK;
    std::string frameTimesPath;
    std::string recordPath;
    std::string script;
    bool scripted = false;
    std::string shotsDir;
    int shotEvery = 0;
    std::string statePath;
    bool profile = true;
    bool depthPrePass = true;
};

// Reads the command line; false (after telling why) when it is not usable.
bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            std::fputs(usage, stdout);
            std::fputs(scriptHelp, stdout);
            std::exit(0);
        }
        if (option == "--no-profile") {
            options.profile = false;
            continue;
        }
        if (option == "--no-depth-prepass") {
            options.depthPrePass = false;
            continue;
        }
        if (option == "--shots") {
            char* end = nullptr;
            const long every = i + 2 < argc ? std::strtol(argv[i + 2], &end, 10) : 0;
            if (i + 2 >= argc || *end != '\0' || every < 1 || every > 1000000) {
                std::fprintf(stderr, "plemox-timedemo: --shots needs a folder and a frame step of 1 or more\n");
                return false;
            }
            options.shotsDir = argv[i + 1];
            options.shotEvery = static_cast<int>(every);
            i += 2;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "plemox-timedemo: %s needs a value\n%s", option.c_str(), usage);
            return false;
        }
        const std::string value = argv[++i];
        if (option == "--game-dir") {
            options.gameDir = value;
        } else if (option == "--walk") {
            options.walkPath = value;
        } else if (option == "--frame-times") {
            options.frameTimesPath = value;
        } else if (option == "--state") {
            options.statePath = value;
        } else if (option == "--record") {
            options.recordPath = value;
        } else if (option == "--script") {
            options.script = value;
            options.scripted = true;
        } else {
            std::fprintf(stderr, "plemox-timedemo: unknown option %s\n%s", option.c_str(), usage);
            return false;
        }
    }
    if (options.scripted && options.recordPath.empty()) {
        std::fprintf(stderr, "plemox-timedemo: --script needs --record\n");
        return false;
    }
    return true;
}

// ---- Walk files -------------------------------------------------------------

// A camera of the walk: its position and the point it looks at, up along +Y.
Camera walkCamera(float px, float py, float pz, float vx, float vy, float vz)
{
    Camera camera;
    positionCamera(camera, px, py, pz, vx, vy, vz, 0.0f, 1.0f, 0.0f);
    return camera;
}

// Reads a walk: one camera per line (position x y z, view point x y z),
// blank lines and lines starting with '#' skipped. False with a message
// naming the line when a line is anything else, or the walk is empty.
bool readWalk(const std::string& path, std::vector<Camera>& walk)
{
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        std::fprintf(stderr, "plemox-timedemo: cannot open walk %s\n", path.c_str());
        return false;
    }
    char line[512];
    int lineNumber = 0;
    bool ok = true;
    while (ok && std::fgets(line, sizeof line, file)) {
        ++lineNumber;
        const char* text = line;
        while (*text == ' ' || *text == '\t')
            ++text;
        if (*text == '#' || *text == '\n' || *text == '\r' || *text == '\0')
            continue;
        float v[6] = {};
        int used = 0;
        const bool complete = std::strchr(line, '\n') || std::feof(file);
        if (!complete || std::sscanf(text, "%f %f %f %f %f %f %n", &v[0], &v[1], &v[2], &v[3], &v[4],
                                     &v[5], &used) != 6 || text[used] != '\0') {
            std::fprintf(stderr, "plemox-timedemo: %s:%d: expected six numbers\n", path.c_str(), lineNumber);
            ok = false;
            break;
        }
        for (float value : v)
            ok = ok && std::isfinite(value);
        if (!ok || (v[0] == v[3] && v[1] == v[4] && v[2] == v[5])) {
            std::fprintf(stderr, "plemox-timedemo: %s:%d: not a camera (non-finite, or looks at itself)\n",
                         path.c_str(), lineNumber);
            ok = false;
            break;
        }
        walk.push_back(walkCamera(v[0], v[1], v[2], v[3], v[4], v[5]));
    }
    std::fclose(file);
    if (ok && walk.empty()) {
        std::fprintf(stderr, "plemox-timedemo: walk %s holds no camera\n", path.c_str());
        ok = false;
    }
    return ok;
}

// Writes a walk with a comment header saying how it was recorded.
bool writeWalk(const std::string& path, const std::vector<Camera>& walk, const Options& options)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(file,
                 "# plemox-timedemo walk through the shipped level (Data/Maps/Map.txt): one camera per\n"
                 "# frame, position x y z then the point looked at x y z; up is always 0 1 0.\n");
    if (options.scripted) {
        std::fprintf(file,
                     "# Recorded by script from the PlayerStart, from the repository root after a build:\n"
                     "#   cd build/game && ../../scripts/with-xvfb.sh ./plemox-timedemo \\\n"
                     "#     --record ../../bench/timedemo_walk.txt --script \"%s\"\n"
                     "# W<n> holds W for n frames (5 units a frame: 50 units a second at a fixed 10\n"
                     "# frames a second), R<deg>/L<deg> turn right/left 10 degrees a frame, V<dy> raises\n"
                     "# the point looked at by dy, P<n> stands still for n frames; Escape ends the walk.\n"
                     "# Re-record with the same command after the map changes (or change the script).\n",
                     options.script.c_str());
    } else {
        std::fprintf(file, "# Recorded by hand: plemox-timedemo --record FILE in the game folder, walked\n"
                           "# with W A S D and the mouse from the PlayerStart, ended with Escape.\n");
    }
    std::fprintf(file, "# To walk one by hand instead: cd build/game && ./plemox-timedemo --record FILE,\n"
                       "# walk, press Escape, and copy FILE to bench/timedemo_walk.txt.\n");
    for (const Camera& camera : walk)
        std::fprintf(file, "%.4f %.4f %.4f %.4f %.4f %.4f\n", camera.position.x, camera.position.y,
                     camera.position.z, camera.view.x, camera.view.y, camera.view.z);
    const bool ok = std::fclose(file) == 0;
    if (!ok)
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", path.c_str());
    return ok;
}

// ---- Start-up -----------------------------------------------------------------

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

struct StartUpTimes {
    Clock::time_point begin;
    Clock::time_point windowReady;  // createGameWindow returned
};

// Takes every pending window message; false when the game asked to quit.
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

// The start of runGame: configuration, the full-screen question, the window
// and startUpEngine inside it. False (after telling why) when the game could
// not start or start-up ended it (a missing map, material or shader support).
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

void printStage(const char* name, double seconds, const char* note = "")
{
    std::printf("  %-28s %9.1f ms%s\n", name, seconds * 1000.0, note);
}

// The start-up split by stage. The questions mark the stage borders: the
// full-screen one follows the configuration, the post-processing one follows
// the post-processing set-up; loadLevel keeps its own times.
void printStartUp(const StartUpTimes& times)
{
    const LevelLoadTimes& level = levelRecord.loadTimes;
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

// ---- Replay ---------------------------------------------------------------------

// Puts the game where every run starts: a fresh level (bottles back, full
// hit points), the exposure at its start value, the play screen.
void resetForRun()
{
    world.hitPoints = -1;
    endOfPassRules(world, playerCamera);
    world.levelComplete = 0;
    postProcessing.currentExposure = 1.0f;
    screenState.currentScreen = Playing;
}

// Writes the window's back buffer (the frame just drawn, before the swap) as
// a 24-bit BMP; false after telling why when it cannot.
bool writeShot(const std::string& path)
{
    const int width = config.windowWidth;
    const int height = config.windowHeight;
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (!saveFile(path, writeBmp24(width, height, rgb))) {
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// One frame of play at the given camera, as the main loop draws it; returns
// its time in seconds with all GL work finished. With a shot path the frame
// is also written out; the read-back is not counted.
FrameCost drawWalkFrame(const Camera& camera, const std::string& shotPath, bool& shotOk)
{
    screenState.currentScreen = Playing;
    playerCamera = camera;
    FrameCost cost;
    Clock::time_point start = Clock::now();
    double processorStart = processSeconds();
    drawGameFrame();
    if (!shotPath.empty()) {
        glFinish();
        cost.wall = secondsBetween(start, Clock::now());
        cost.processor = processSeconds() - processorStart;
        shotOk = writeShot(shotPath) && shotOk;
        start = Clock::now();
        processorStart = processSeconds();
    }
    swapBuffers();
    glFinish();
    cost.wall += secondsBetween(start, Clock::now());
    cost.processor += processSeconds() - processorStart;
    return cost;
}

// What a run writes besides its times: shots named PREFIX-FFFF.bmp, one state
// line per frame, and the props each frame showed (kept from run 1 for the
// single-pass run).
struct RunOutputs {
    const Options* options = nullptr;
    const char* shotPrefix = "";
    int runNumber = 0;
    std::FILE* state = nullptr;
    std::vector<std::vector<uint8_t>>* pieceFlags = nullptr;
};

// The props' flags that decide what a scene pass draws: visible then active,
// one byte each per piece.
std::vector<uint8_t> savePieceFlags()
{
    std::vector<uint8_t> flags;
    for (int i = 0; i < world.pieceCount; ++i) {
        flags.push_back(world.pieces[i].visible);
        flags.push_back(world.pieces[i].active);
    }
    return flags;
}

void restorePieceFlags(const std::vector<uint8_t>& flags)
{
    for (int i = 0; i < world.pieceCount && 2 * static_cast<size_t>(i) + 1 < flags.size(); ++i) {
        world.pieces[i].visible = flags[2 * i];
        world.pieces[i].active = flags[2 * i + 1];
    }
}

struct RunResult {
    std::vector<double> frameSeconds;
    double processorSeconds = 0.0;  // summed over the frames
    double wallSeconds = 0.0;
    double overdraw = 0.0;  // single-pass run: passed fragments per window pixel, walk average
};

// Replays the walk once after a few untimed warm-up frames; false when the
// window was closed meanwhile or a shot could not be written.
bool replayWalk(const std::vector<Camera>& walk, RunResult& result, const RunOutputs& outputs)
{
    resetForRun();
    bool unused = true;
    for (int i = 0; i < warmUpFrames; ++i) {
        if (!pumpMessages())
            return false;
        drawWalkFrame(walk.front(), std::string(), unused);
    }
    resetForRun();
    glFinish();
    bool shotsOk = true;
    const Options& options = *outputs.options;
    const Clock::time_point start = Clock::now();
    for (size_t frame = 0; frame < walk.size(); ++frame) {
        if (!pumpMessages())
            return false;
        std::string shot;
        if (options.shotEvery > 0 && frame % static_cast<size_t>(options.shotEvery) == 0) {
            char name[64];
            std::snprintf(name, sizeof name, "/%s-%04zu.bmp", outputs.shotPrefix, frame);
            shot = options.shotsDir + name;
        }
        const FrameCost cost = drawWalkFrame(walk[frame], shot, shotsOk);
        result.frameSeconds.push_back(cost.wall);
        result.processorSeconds += cost.processor;
        if (outputs.state) {
            const Camera& c = playerCamera;
            std::fprintf(outputs.state, "%d %zu %d %d %.9g %.9g %.9g %.9g %.9g %.9g\n", outputs.runNumber, frame,
                         static_cast<int>(world.hitPoints), static_cast<int>(levelRecord.bottlesCollected), c.position.x,
                         c.position.y, c.position.z, c.view.x, c.view.y, c.view.z);
        }
        if (outputs.pieceFlags)
            outputs.pieceFlags->push_back(savePieceFlags());
    }
    result.wallSeconds = secondsBetween(start, Clock::now());
    return shotsOk;
}

// ---- Single-pass floor ------------------------------------------------------------

typedef void(APIENTRY* GenQueriesProc)(GLsizei, GLuint*);
typedef void(APIENTRY* DeleteQueriesProc)(GLsizei, const GLuint*);
typedef void(APIENTRY* GetQueryObjectuivProc)(GLuint, GLenum, GLuint*);

// The query object the scene pass counts its shaded fragments into, when the
// driver has ARB occlusion queries.
struct SampleCounter {
    DeleteQueriesProc remove = nullptr;
    GetQueryObjectuivProc result = nullptr;
    GLuint query = 0;

    bool create()
    {
        if (!extensionListed(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_ARB_occlusion_query"))
            return false;
        const auto gen = reinterpret_cast<GenQueriesProc>(getGlProcAddress("glGenQueriesARB"));
        remove = reinterpret_cast<DeleteQueriesProc>(getGlProcAddress("glDeleteQueriesARB"));
        result = reinterpret_cast<GetQueryObjectuivProc>(getGlProcAddress("glGetQueryObjectuivARB"));
        if (!gen || !remove || !result)
            return false;
        gen(1, &query);
        if (setShadedFragmentQuery(query))
            return true;
        release();
        return false;
    }
    void release()
    {
        setShadedFragmentQuery(0);
        if (query != 0)
            remove(1, &query);
        query = 0;
    }
};

// One frame of the floor: the clear and one scene pass into the window, the
// swap and glFinish; with a counter, the fragments the pass shaded (read
// after the frame, not timed).
FrameCost drawFloorFrame(const Camera& camera, SampleCounter* counter, GLuint& samples)
{
    playerCamera = camera;
    const Clock::time_point start = Clock::now();
    const double processorStart = processSeconds();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(camera.position.x, camera.position.y, camera.position.z, camera.view.x, camera.view.y,
              camera.view.z, camera.up.x, camera.up.y, camera.up.z);
    world.renderWorld(true);
    swapBuffers();
    glFinish();
    FrameCost cost;
    cost.wall = secondsBetween(start, Clock::now());
    cost.processor = processSeconds() - processorStart;
    if (counter)
        counter->result(counter->query, GL_QUERY_RESULT_ARB, &samples);
    return cost;
}

// The floor run: every frame only one scene pass into the window, showing the
// props run 1 showed at that frame (flags); the game state it leaves behind
// is thrown away. Overdraw: the fragments the materials shaded per window
// pixel, walk average.
bool floorWalk(const std::vector<Camera>& walk, const std::vector<std::vector<uint8_t>>& flags, RunResult& result)
{
    const double pixels = static_cast<double>(config.windowWidth) * static_cast<double>(config.windowHeight);
    resetForRun();
    glViewport(0, 0, config.windowWidth, config.windowHeight);
    GLuint samples = 0;
    if (!flags.empty())
        restorePieceFlags(flags.front());
    for (int i = 0; i < warmUpFrames; ++i) {
        if (!pumpMessages())
            return false;
        drawFloorFrame(walk.front(), nullptr, samples);
    }
    resetForRun();
    SampleCounter counter;
    const bool counting = counter.create();
    glFinish();
    double overdrawSum = 0.0;
    bool completed = true;
    const Clock::time_point start = Clock::now();
    for (size_t frame = 0; frame < walk.size(); ++frame) {
        if (!pumpMessages()) {
            completed = false;
            break;
        }
        if (frame < flags.size())
            restorePieceFlags(flags[frame]);
        const FrameCost cost = drawFloorFrame(walk[frame], counting ? &counter : nullptr, samples);
        result.frameSeconds.push_back(cost.wall);
        result.processorSeconds += cost.processor;
        overdrawSum += static_cast<double>(samples) / pixels;
    }
    result.wallSeconds = secondsBetween(start, Clock::now());
    result.overdraw = counting ? overdrawSum / static_cast<double>(walk.size()) : -1.0;
    counter.release();
    resetForRun();
    return completed;
}

// "N frames S seconds F fps min/avg/max/stddev ms".
void printRun(const char* label, const RunResult& result)
{
    const std::vector<double>& times = result.frameSeconds;
    double sum = 0.0;
    double low = times.front();
    double high = times.front();
    for (double t : times) {
        sum += t;
        low = t < low ? t : low;
        high = t > high ? t : high;
    }
    const double count = static_cast<double>(times.size());
    const double mean = sum / count;
    double squares = 0.0;
    for (double t : times)
        squares += (t - mean) * (t - mean);
    const double deviation = std::sqrt(squares / count);
    std::printf("%s: %zu frames %.2f seconds %.2f fps %.2f/%.2f/%.2f/%.2f ms\n", label, times.size(),
                result.wallSeconds, count / result.wallSeconds, low * 1000.0, mean * 1000.0, high * 1000.0,
                deviation * 1000.0);
}

// One frame time in milliseconds per line, the runs one after the other.
bool writeFrameTimes(const std::string& path, const std::vector<const RunResult*>& runs)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file) {
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", path.c_str());
        return false;
    }
    for (const RunResult* run : runs)
        for (double t : run->frameSeconds)
            std::fprintf(file, "%.3f\n", t * 1000.0);
    const bool ok = std::fclose(file) == 0;
    if (!ok)
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", path.c_str());
    return ok;
}

// ---- Profile ----------------------------------------------------------------------

// Seconds summed over the profile run, per part of renderWorldFrame.
struct PassProfile {
    double logicPass = 0.0;
    double scenePass[2] = {};
    double worldFrame = 0.0;  // the whole renderWorldFrame
    double rest = 0.0;        // logo overlay and buffer swap
    int scenePassesThisFrame = 0;
};

PassProfile passProfile;

// The scene-pass callback of the profile run: the world's own pass between
// two glFinish calls, so each pass's GL work is counted in it.
void timedWorldPass(bool scenePass, bool shown)
{
    glFinish();
    const Clock::time_point start = Clock::now();
    world.renderWorld(scenePass, shown);
    glFinish();
    const double seconds = secondsBetween(start, Clock::now());
    if (!scenePass)
        passProfile.logicPass += seconds;
    else if (passProfile.scenePassesThisFrame < 2)
        passProfile.scenePass[passProfile.scenePassesThisFrame++] += seconds;
}

// The third run: renderWorldFrame at every camera with the timed passes
// installed; composition is what renderWorldFrame spends outside the passes
// (clears, framebuffer switches, the exposure read-back, the composing quad).
// The frame ends with the logo overlay, which leaves the texture units as the
// play screen does; the hit-point label and bar are not drawn.
bool profileWalk(const std::vector<Camera>& walk)
{
    passProfile = PassProfile();
    resetForRun();
    setScenePass(timedWorldPass);
    bool completed = true;
    for (const Camera& camera : walk) {
        if (!pumpMessages()) {
            completed = false;
            break;
        }
        screenState.currentScreen = Playing;
        playerCamera = camera;
        passProfile.scenePassesThisFrame = 0;
        glFinish();
        const Clock::time_point start = Clock::now();
        renderWorldFrame(playerCamera);
        glFinish();
        const Clock::time_point drawn = Clock::now();
        drawLogoOverlay();
        swapBuffers();
        glFinish();
        passProfile.worldFrame += secondsBetween(start, drawn);
        passProfile.rest += secondsBetween(drawn, Clock::now());
    }
    setScenePass(renderWorldPass);
    if (!completed)
        return false;

    const double perFrame = 1000.0 / static_cast<double>(walk.size());
    const double passes = passProfile.logicPass + passProfile.scenePass[0] + passProfile.scenePass[1];
    const bool active = postProcessingActive();
    std::printf("profile (post-processing %s, %zu frames, glFinish at every boundary), ms per frame:\n",
                active ? "on" : "off", walk.size());
    const auto row = [](const char* name, double milliseconds) {
        std::printf("  %-50s %8.2f\n", name, milliseconds);
    };
    row("logic pass (collision, occlusion tests, pickups)", passProfile.logicPass * perFrame);
    row(active ? "scene pass 1 (full-size framebuffer)" : "scene pass 1 (rules only, nothing drawn)",
        passProfile.scenePass[0] * perFrame);
    row(active ? "scene pass 2 (one-eighth framebuffer)" : "scene pass 2 (window)",
        passProfile.scenePass[1] * perFrame);
    row("composition (clears, targets, read-back, quad)", (passProfile.worldFrame - passes) * perFrame);
    row("= renderWorldFrame", passProfile.worldFrame * perFrame);
    row("logo overlay and buffer swap", passProfile.rest * perFrame);
    return true;
}

double averageSeconds(const RunResult& run)
{
    double sum = 0.0;
    for (double t : run.frameSeconds)
        sum += t;
    return run.frameSeconds.empty() ? 0.0 : sum / static_cast<double>(run.frameSeconds.size());
}

// Runs the walk with post-processing on, off, the single-pass floor, then the
// profile, printing each; restores the post-processing flags afterwards.
int runTimedemo(const Options& options, const std::vector<Camera>& walk)
{
    const bool savedPost = postProcessing.postProcessingEnabled;
    const bool savedFloat = glCaps.floatTexturesEnabled;
    setDepthPrePass(options.depthPrePass);
    if (!options.depthPrePass)
        std::printf("note: the scene passes draw without their depth pre-pass\n");
    std::printf("walk: %zu cameras from %s; window %d x %d; renderer %s\n", walk.size(),
                options.walkPath.c_str(), config.windowWidth, config.windowHeight,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    if (!postProcessingActive())
        std::printf("note: post-processing is not available here, run 1 draws without it too\n");

    std::error_code error;
    if (!options.shotsDir.empty() && !std::filesystem::create_directories(options.shotsDir, error) && error) {
        std::fprintf(stderr, "plemox-timedemo: cannot make %s: %s\n", options.shotsDir.c_str(),
                     error.message().c_str());
        return 1;
    }
    std::FILE* state = nullptr;
    if (!options.statePath.empty() && !(state = std::fopen(options.statePath.c_str(), "w"))) {
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", options.statePath.c_str());
        return 1;
    }
    std::vector<std::vector<uint8_t>> shownPieces;
    RunOutputs outputs;
    outputs.options = &options;
    outputs.state = state;

    RunResult withPost;
    RunResult withoutPost;
    RunResult floor;
    outputs.shotPrefix = "post-on";
    outputs.runNumber = 1;
    outputs.pieceFlags = &shownPieces;
    bool completed = replayWalk(walk, withPost, outputs);
    if (completed)
        printRun("run 1, post-processing on ", withPost);
    std::fflush(stdout);

    postProcessing.postProcessingEnabled = false;
    glCaps.floatTexturesEnabled = false;
    outputs.shotPrefix = "post-off";
    outputs.runNumber = 2;
    outputs.pieceFlags = nullptr;
    completed = completed && replayWalk(walk, withoutPost, outputs);
    if (completed)
        printRun("run 2, post-processing off", withoutPost);
    std::fflush(stdout);
    completed = completed && floorWalk(walk, shownPieces, floor);
    postProcessing.postProcessingEnabled = savedPost;
    glCaps.floatTexturesEnabled = savedFloat;
    if (state && std::fclose(state) != 0) {
        std::fprintf(stderr, "plemox-timedemo: cannot write %s\n", options.statePath.c_str());
        completed = false;
    }
    if (completed) {
        printRun("run 3, one scene pass only", floor);
        const double floorAverage = averageSeconds(floor);
        std::printf("frame time against run 3: post-processing on %.2fx, off %.2fx\n",
                    averageSeconds(withPost) / floorAverage, averageSeconds(withoutPost) / floorAverage);
        std::printf("processor time per frame against run 3: post-processing on %.2fx, off %.2fx "
                    "(%.1f, %.1f and %.1f ms)\n",
                    withPost.processorSeconds / floor.processorSeconds,
                    withoutPost.processorSeconds / floor.processorSeconds,
                    withPost.processorSeconds * 1000.0 / static_cast<double>(walk.size()),
                    withoutPost.processorSeconds * 1000.0 / static_cast<double>(walk.size()),
                    floor.processorSeconds * 1000.0 / static_cast<double>(walk.size()));
        if (floor.overdraw >= 0.0)
            std::printf("overdraw of the scene pass: %.2f fragments shaded by the materials per pixel "
                        "(walk average)\n", floor.overdraw);
        else
            std::printf("overdraw of the scene pass: not measured (no occlusion queries)\n");
    }
    std::fflush(stdout);

    completed = completed && (!options.profile || profileWalk(walk));
    std::fflush(stdout);
    if (!completed) {
        std::fprintf(stderr, "plemox-timedemo: the timedemo stopped (window closed or a file not written)\n");
        return 1;
    }
    if (!options.frameTimesPath.empty() && !writeFrameTimes(options.frameTimesPath, {&withPost, &withoutPost}))
        return 1;
    return 0;
}

// ---- Recording ----------------------------------------------------------------------

// One frame of a scripted walk: the key held (0 for none), the turn and the
// change of the view point's height (the mouse's vertical look).
struct ScriptFrame {
    int key = 0;
    float turnDegrees = 0.0f;
    float lift = 0.0f;
};

// Expands a script ("W100 R90 P10 ...") into frames; false with a message
// on a word it does not know.
bool parseScript(const std::string& script, std::vector<ScriptFrame>& frames)
{
    size_t at = 0;
    while (at < script.size()) {
        if (script[at] == ' ' || script[at] == '\t' || script[at] == '\n') {
            ++at;
            continue;
        }
        const char letter = script[at];
        char* end = nullptr;
        const double amount = std::strtod(script.c_str() + at + 1, &end);
        const size_t next = static_cast<size_t>(end - script.c_str());
        const bool known = std::strchr("WSADRLPV", letter) != nullptr;
        const double lowest = letter == 'V' ? -100000.0 : 0.0;
        if (!known || next == at + 1 || !(amount >= lowest && amount <= 100000.0)) {
            std::fprintf(stderr, "plemox-timedemo: script word at %zu not understood\n%s", at, scriptHelp);
            return false;
        }
        if (letter == 'V') {
            ScriptFrame frame;
            frame.lift = static_cast<float>(amount);
            frames.push_back(frame);
        } else if (letter == 'R' || letter == 'L') {
            const float sign = letter == 'R' ? 1.0f : -1.0f;
            float left = static_cast<float>(amount);
            while (left > 0.0f) {
                const float step = left < scriptTurnStep ? left : scriptTurnStep;
                ScriptFrame frame;
                frame.turnDegrees = sign * step;
                frames.push_back(frame);
                left -= step;
            }
        } else {
            ScriptFrame frame;
            frame.key = letter == 'P' ? 0 : letter;
            frames.insert(frames.end(), static_cast<size_t>(amount), frame);
        }
        at = next;
    }
    return true;
}

// Plays from the player start on the play screen and records the camera each
// frame draws, until Escape; the end of the level does not end the walk. With a script the keys
// are simulated, turns are made with rotateView and the game moves at a fixed
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
                rotateView(playerCamera, step.turnDegrees * degreesToRadians);
            playerCamera.view.y += step.lift;
            if (frameIndex >= script.size())
                simulateKey(VK_ESCAPE, true);
            ++frameIndex;
        }
        walk.push_back(playerCamera);
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
    releaseWorld();
    destroyGameWindow();
    return written ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!parseOptions(argc, argv, options))
        return 2;
    std::error_code error;
    for (std::string* path : {&options.walkPath, &options.frameTimesPath, &options.recordPath, &options.shotsDir,
                              &options.statePath})
        if (!path->empty())
            *path = std::filesystem::absolute(*path, error).lexically_normal().string();
    if (!options.gameDir.empty()) {
        std::filesystem::current_path(options.gameDir, error);
        if (error) {
            std::fprintf(stderr, "plemox-timedemo: cannot enter %s: %s\n", options.gameDir.c_str(),
                         error.message().c_str());
            return 1;
        }
    }
    if (!std::filesystem::exists("Data/Maps/Map.txt")) {
        std::fprintf(stderr, "plemox-timedemo: no Data/Maps/Map.txt here; run it in the game folder "
                             "(build/game) or give --game-dir\n");
        return 1;
    }
    if (!options.recordPath.empty())
        return recordWalk(options);

    std::vector<Camera> walk;
    if (!readWalk(options.walkPath, walk))
        return 1;
    StartUpTimes times;
    if (!startGame(times))
        return 1;
    printStartUp(times);
    const int status = runTimedemo(options, walk);
    releaseWorld();
    destroyGameWindow();
    if (boxLog.failures > 0)
        std::fprintf(stderr, "plemox-timedemo: the game reported %d failure(s), see above\n", boxLog.failures);
    return status;
}
