// plemox-timedemo: the real game (same start-up, same frame function, same
// data) in a window at the configured size, replaying a recorded walk through
// the shipped level. The walk runs twice, with post-processing on and off,
// and each run prints one line in the classic timedemo form
//     N frames S seconds F fps min/avg/max/stddev ms
// (frame time = drawFrame + buffer swap, closed by glFinish and a one-pixel
// read-back of the shown frame, so the GPU work is inside it on any driver).
// A third run draws only one scene pass per frame into the window (the least
// the picture needs: no logic pass, no second pass, no post-processing; the
// props shown are those run 1 found visible) and gives the floor the first
// two runs are measured against, and the overdraw: the fragments of that pass
// that passed the depth test, per window pixel. A fourth run finishes the GL
// work around every world pass and prints where a frame goes: logic pass, the
// two scene passes and the composition. The start-up time is printed split by
// stage.
//
//   plemox-timedemo [--game-dir DIR] [--walk FILE] [--frame-times FILE]
//                   [--shots DIR N] [--state FILE] [--no-profile]
//   plemox-timedemo [--game-dir DIR] --record FILE [--script "W100 R90 ..."]
//
// --record starts the game on the play screen and writes the player camera of
// every frame until Escape; with --script the keys and turns come from the
// script instead of a person (see scriptHelp).
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/timedemo/timedemo.h"

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
    endGame();
    if (failuresReported() > 0)
        std::fprintf(stderr, "plemox-timedemo: the game reported %d failure(s), see above\n", failuresReported());
    return status;
}
