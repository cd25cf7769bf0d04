#include "bench/timedemo/timedemo.h"

#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/config.h"
#include "app/window.h"
#include "assets/writers.h"
#include "platform/platform.h"
#include "render/capabilities.h"
#include "render/occlusion.h"
#include "render/opengl.h"
#include "render/postprocess.h"
#include "ui/screens.h"
#include "world/measure.h"
#include "world/world.h"

namespace {

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
    world.playerCamera = camera;
    FrameCost cost;
    Clock::time_point start = Clock::now();
    double processorStart = processSeconds();
    drawGameFrame();
    if (!shotPath.empty()) {
        finishGlWork();
        cost.wall = secondsBetween(start, Clock::now());
        cost.processor = processSeconds() - processorStart;
        shotOk = writeShot(shotPath) && shotOk;
        start = Clock::now();
        processorStart = processSeconds();
    }
    swapBuffers();
    finishShownFrame();
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
            const Camera& c = world.playerCamera;
            std::fprintf(outputs.state, "%d %zu %d %d %.9g %.9g %.9g %.9g %.9g %.9g\n", outputs.runNumber, frame,
                         static_cast<int>(world.hitPoints), static_cast<int>(world.bottlesCollected), c.position.x,
                         c.position.y, c.position.z, c.view.x, c.view.y, c.view.z);
        }
        if (outputs.pieceFlags)
            outputs.pieceFlags->push_back(savePieceFlags());
    }
    result.wallSeconds = secondsBetween(start, Clock::now());
    return shotsOk;
}

// The query object the scene pass counts its shaded fragments into, when the
// driver has ARB occlusion queries.
struct SampleCounter {
    const OcclusionQueryEntryPoints* entry = nullptr;
    GLuint query = 0;

    bool create()
    {
        entry = sampleQueries();
        if (!entry)
            return false;
        entry->glGenQueriesARB(1, &query);
        worldMeasurements.shadedFragmentQuery = query;
        return true;
    }
    void release()
    {
        worldMeasurements.shadedFragmentQuery = 0;
        if (entry && query != 0)
            entry->glDeleteQueriesARB(1, &query);
        query = 0;
        entry = nullptr;
    }
};

// One frame of the floor: the clear and one scene pass into the window and
// the swap, closed as every timed frame is; with a counter, the fragments the
// pass shaded (read after the frame, not timed).
FrameCost drawFloorFrame(const Camera& camera, SampleCounter* counter, GLuint& samples)
{
    world.playerCamera = camera;
    const Clock::time_point start = Clock::now();
    const double processorStart = processSeconds();
    clearAndLookThrough(camera);
    world.renderWorld(true);
    swapBuffers();
    finishShownFrame();
    FrameCost cost;
    cost.wall = secondsBetween(start, Clock::now());
    cost.processor = processSeconds() - processorStart;
    if (counter)
        counter->entry->glGetQueryObjectuivARB(counter->query, GL_QUERY_RESULT_ARB, &samples);
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

double averageSeconds(const RunResult& run)
{
    double sum = 0.0;
    for (double t : run.frameSeconds)
        sum += t;
    return run.frameSeconds.empty() ? 0.0 : sum / static_cast<double>(run.frameSeconds.size());
}

}  // namespace

int runTimedemo(const Options& options, const std::vector<Camera>& walk)
{
    const bool savedPost = postProcessing.postProcessingEnabled;
    const bool savedFloat = glCaps.floatTexturesEnabled;
    worldMeasurements.depthPrePass = options.depthPrePass;
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

