#include "bench/timedemo/timedemo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "world/camera.h"

namespace {

// A camera of the walk: its position and the point it looks at, up along +Y.
Camera walkCamera(float px, float py, float pz, float vx, float vy, float vz)
{
    Camera camera;
    positionCamera(camera, px, py, pz, vx, vy, vz, 0.0f, 1.0f, 0.0f);
    return camera;
}

}  // namespace

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

