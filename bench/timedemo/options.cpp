#include "bench/timedemo/timedemo.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

extern const char* const usage;
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

extern const char* const scriptHelp;
const char* const scriptHelp =
    "script words: W<n> S<n> A<n> D<n> hold that key for n frames, R<deg> L<deg> turn right or\n"
    "left (10 degrees a frame), V<dy> raise the point looked at by dy (one frame), P<n> stand\n"
    "for n frames; the walk ends with Escape\n";

double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double processSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

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

