// Where a frame of the world goes on the CPU: loads a generated level of a
// few hundred pieces and times the level load, the collision with one piece,
// the nearest searches, the occlusion queries and whole passes. Runs under a
// GL context when a display is available (the passes and the load need one);
// without one it times the parts that need none. With the built game beside
// it, it then times whole frames along the timedemo walk on the shipped level
// and on a level of 1,024 pieces (the map limit) made of copies of it.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "world/camera.h"
#include "app/probe.h"
#include "assets/writers.h"
#include "platform/platform.h"
#include "render/opengl.h"
#include "world/collision.h"
#include "render/occlusion.h"
#include "render/postprocess.h"
#include "world/rules.h"
#include "world/scenepass.h"
#include "world/world.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs f count times and returns the mean time of one call in microseconds.
template <typename F>
double microsecondsPerCall(int count, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < count; ++i)
        f(i);
    return secondsSince(start) * 1e6 / count;
}

// Drawing axes (y up) to the file's axes (z up).
Vector3 toFile(const Vector3& v)
{
    return {v.x, -v.z, v.y};
}

// A box from lo to hi with every side cut into n x n quads, facing inward
// (a room) or outward (a prop), as one 3DS object.
MeshObject gridBox(const Vector3& lo, const Vector3& hi, bool inward, int n)
{
    MeshObject mesh;
    mesh.name = "box";
    const Vector3 size = hi - lo;
    auto side = [&](int axis, bool high) {
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        auto corner = [&](int i, int j) {
            float c[3] = {lo.x, lo.y, lo.z};
            const float s[3] = {size.x, size.y, size.z};
            c[axis] += high ? s[axis] : 0.0f;
            c[u] += s[u] * static_cast<float>(i) / static_cast<float>(n);
            c[v] += s[v] * static_cast<float>(j) / static_cast<float>(n);
            return Vector3(c[0], c[1], c[2]);
        };
        // (u, v, axis) is right-handed: u x v points along +axis.
        const bool towardsPlus = inward != high;
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) {
                Vector3 q[4] = {corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), corner(i, j + 1)};
                if (!towardsPlus)
                    std::swap(q[1], q[3]);
                for (int k : {0, 1, 2, 0, 2, 3}) {
                    mesh.vertices.push_back(toFile(q[k]));
                    mesh.texCoords.push_back({0.0f, 0.0f});
                }
            }
    };
    for (int axis = 0; axis < 3; ++axis) {
        side(axis, false);
        side(axis, true);
    }
    for (uint32_t base = 0; base + 2 < mesh.vertices.size(); base += 3)
        mesh.faces.push_back({base, base + 1, base + 2});
    return mesh;
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    saveFile(path, bytes);
}

// The level's files: every kind's model, materials without programs, the
// glow picture and a map of levelPieces rooms and corridors with props,
// bottles and lights among them.
void writeLevel(int levelPieces, int propsPerPiece)
{
    const char* levelKinds[][2] = {
        {"Room01", "Data/Models/Level/Room01.3DS"},
        {"CorridorStraight", "Data/Models/Level/CorridorStraight.3DS"},
        {"CrossroadT", "Data/Models/Level/CrossroadT.3DS"},
    };
    const char* collision[] = {"Data/Models/Level/Collision Models/Room01 Coll.3DS",
                               "Data/Models/Level/Collision Models/Corridor Straight Coll.3DS",
                               "Data/Models/Level/Collision Models/CrossroadT Coll.3DS"};
    const std::string room = write3ds({gridBox({-100, -30, -100}, {100, 70, 100}, true, 12)});
    for (int k = 0; k < 3; ++k) {
        writeBytes(levelKinds[k][1], room);
        writeBytes(collision[k], room);
    }
    const char* propKinds[] = {"Table", "Chair", "Crate", "Campfire", "Pile", "Torch", "Stone"};
    const std::string prop = write3ds({gridBox({-5, -5, -5}, {5, 5, 5}, false, 4)});
    for (const char* kind : propKinds)
        writeBytes(std::string("Data/Models/Static/") + kind + ".3DS", prop);
    writeBytes("Data/Models/Gorvik.3DS", prop);
    writeBytes("Data/underground.plemoxmat", "_SHADING 2\n");
    for (int k = 1; k <= 8; ++k)
        writeBytes("Data/mat0" + std::to_string(k) + ".plemoxmat", "_SHADING 2\n");
    writeBytes("Data/Textures/LensFlares/Glow.tga", writeTga(2, 2, 4, std::vector<uint8_t>(16, 255)));

    std::string map = "PlayerStart x x 0 0 0 x 0 0 0\n";
    char line[256];
    for (int p = 0; p < levelPieces; ++p) {
        const float x = static_cast<float>(p % 8) * 200.0f;
        const float z = static_cast<float>(p / 8) * 200.0f;
        std::snprintf(line, sizeof line, "Room %smat0%d x %g 0 %g x 0 %d 0\n", levelKinds[p % 3][0], p % 9, x, z,
                      (p % 4) * 90);
        map += line;
        for (int q = 0; q < propsPerPiece; ++q) {
            const char* kind = q == 0 && p % 6 == 0 ? "Gorvik" : propKinds[(p + q) % 7];
            std::snprintf(line, sizeof line, "static %s x %g -20 %g x 0 %d 0\n", kind, x - 60.0f + 30.0f * q,
                          z + 40.0f, q * 30);
            map += line;
        }
        if (p % 2 == 0) {
            std::snprintf(line, sizeof line, "Light x x %g 40 %g\n", x, z);
            map += line;
        }
    }
    writeBytes("Data/Maps/Map.txt", map);
}

bool makeGlContext(int width, int height)
{
    if (!std::getenv("DISPLAY"))
        return false;
    if (!registerWindowClass() || !createPlatformWindow("world bench", width, height, false) ||
        !acquireDeviceContext())
        return false;
    const int format = choosePixelFormat(PixelFormatRequest());
    if (!setPixelFormat(format) || !createRenderingContext() || !makeContextCurrent(true))
        return false;
    showPlatformWindow();
    glViewport(0, 0, width, height);
    return true;
}

int countTriangles(const Model3DS& model)
{
    int count = 0;
    for (const Object3DS& object : model.objects)
        count += static_cast<int>(object.faces.size());
    return count;
}

// ---- Frame cost against the size of the level ---------------------------------

// Every step-th camera of a timedemo walk file (position, then the point
// looked at, per line; '#' lines are comments).
std::vector<Camera> readWalkCameras(const std::string& path, int step)
{
    std::vector<Camera> cameras;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return cameras;
    char line[512];
    int index = 0;
    while (std::fgets(line, sizeof line, file)) {
        float v[6];
        if (line[0] == '#' || std::sscanf(line, "%f %f %f %f %f %f", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 6)
            continue;
        if (index++ % step != 0)
            continue;
        Camera camera;
        positionCamera(camera, v[0], v[1], v[2], v[3], v[4], v[5], 0, 1, 0);
        cameras.push_back(camera);
    }
    std::fclose(file);
    return cameras;
}

// The shipped map repeated on a grid 1,400 units apart (copy 0 where it is,
// one player start) until pieceLimit pieces are placed; lights are copied
// while there is room for them.
std::string repeatedMap(const std::string& shippedPath, int pieceLimit)
{
    std::vector<std::string> lines;
    std::FILE* file = std::fopen(shippedPath.c_str(), "r");
    char line[512];
    while (file && std::fgets(line, sizeof line, file))
        lines.push_back(line);
    if (file)
        std::fclose(file);
    std::string map;
    int pieces = 0;
    int lights = 0;
    for (int copy = 0; pieces < pieceLimit && copy < 100; ++copy) {
        const float dx = static_cast<float>(copy % 4) * 1400.0f;
        const float dz = static_cast<float>(copy / 4) * 1400.0f;
        for (const std::string& text : lines) {
            char kind[64], name[128], at[16], rot[16];
            float x, y, z, rx, ry, rz;
            if (std::sscanf(text.c_str(), "%63s %127s %15s %f %f %f %15s %f %f %f", kind, name, at, &x, &y, &z, rot,
                            &rx, &ry, &rz) != 10)
                continue;
            const std::string k = kind;
            const bool light = k == "Light";
            if ((k == "PlayerStart" && copy > 0) || (light && lights >= maxLights) || (!light && k != "PlayerStart" && pieces >= pieceLimit))
                continue;
            std::snprintf(line, sizeof line, "%s %s at %g %g %g rot %g %g %g\n", kind, name, x + dx, y, z + dz, rx, ry,
                          rz);
            map += line;
            lights += light ? 1 : 0;
            pieces += !light && k != "PlayerStart" ? 1 : 0;
        }
    }
    return map;
}

// One frame as the game draws it without post-processing (logic pass, the
// unshown scene pass, the shown one), closed by glFinish; milliseconds per
// frame over the cameras after one untimed round.
double frameMilliseconds(World& level, const std::vector<Camera>& cameras)
{
    Clock::time_point start;
    for (int round = 0; round < 2; ++round) {
        glFinish();
        start = Clock::now();
        for (const Camera& camera : cameras) {
            level.playerCamera = camera;
            level.hitPoints = maxHitPoints;
            glClear(GL_DEPTH_BUFFER_BIT);
            lookThrough(camera);
            level.renderWorld(false);
            level.renderWorld(true, false);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            lookThrough(camera);
            level.renderWorld(true);
            glFinish();
        }
    }
    return secondsSince(start) * 1e3 / static_cast<double>(cameras.size());
}

// The shipped level against 1,024 pieces, in the built game's folder.
void compareLevelSizes(int width, int height)
{
    const std::string gameDir = PLEMOX_BENCH_GAME_DIR;
    const std::vector<Camera> cameras = readWalkCameras(PLEMOX_BENCH_WALK, 5);
    if (!std::filesystem::exists(gameDir + "/Data/Maps/Map.txt") || cameras.empty()) {
        std::printf("no built game in %s: level sizes not compared\n", gameDir.c_str());
        return;
    }
    std::filesystem::current_path(gameDir);
    const std::string bigMap = (std::filesystem::temp_directory_path() / "plemox-bench-map-1024.txt").string();
    saveFile(bigMap, repeatedMap("Data/Maps/Map.txt", maxPieces));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / height, 0.1, 25000.0);
    double perFrame[2] = {};
    int pieces[2] = {};
    const std::string maps[2] = {"Data/Maps/Map.txt", bigMap};
    for (int m = 0; m < 2; ++m) {
        auto level = std::make_unique<World>();
        level->loadLevel(maps[m].c_str());
        pieces[m] = level->pieceCount;
        perFrame[m] = frameMilliseconds(*level, cameras);
        releaseWorld(*level);
    }
    std::filesystem::remove(bigMap);
    std::printf("frame without post-processing, %d x %d, %zu cameras of the timedemo walk:\n", width, height,
                cameras.size());
    std::printf("  shipped level (%d pieces): %.1f ms\n", pieces[0], perFrame[0]);
    std::printf("  repeated level (%d pieces): %.1f ms, %.2fx the shipped level\n", pieces[1], perFrame[1],
                perFrame[1] / perFrame[0]);
}

}  // namespace

int main()
{
    // Message boxes would stop the run; count them instead.
    int boxes = 0;
    setMessageBoxResponder([&boxes](const MessageBoxRequest&) {
        ++boxes;
        return static_cast<int>(IDOK);
    });

    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "plemox-world-bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);

    const int levelPieces = 48;
    const int propsPerPiece = 5;
    writeLevel(levelPieces, propsPerPiece);

    const bool gl = makeGlContext(640, 480);
    auto level = std::make_unique<World>();
    if (gl) {
        probeGlCapabilities();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        const Clock::time_point start = Clock::now();
        level->loadLevel("Data/Maps/Map.txt");
        std::printf("level load (map, 9 materials, %d models with lists): %.1f ms\n", level->pieceCount,
                    secondsSince(start) * 1e3);
    } else {
        std::printf("no display: timing the parts that need no OpenGL\n");
        const Clock::time_point start = Clock::now();
        std::FILE* file = std::fopen("Data/Maps/Map.txt", "rt");
        char line[255];
        while (file && std::fgets(line, sizeof line, file))
            handleMapLine(*level, line);
        if (file)
            std::fclose(file);
        for (int i = 0; i < level->pieceCount; ++i)
            loadPieceModels(level->pieces[i]);
        level->hitPoints = maxHitPoints;
        std::printf("level load without lists (%d pieces): %.1f ms\n", level->pieceCount, secondsSince(start) * 1e3);
    }
    std::printf("pieces %d, lights %d, bottles %d, message boxes %d\n", level->pieceCount, level->lights.lightCount,
                level->bottleTotal, boxes);

    // Collision with one level piece, the camera pressed into a wall.
    const LevelPiece& room = level->pieces[0];
    Matrix4 turn;
    turn.rotate(room.rotation.y, 0.0f, 1.0f, 0.0f);
    Camera camera;
    positionCamera(camera, 90, 0, 0, 120, 0, 0, 0, 1, 0);
    const double collision = microsecondsPerCall(2000, [&](int) {
        Camera pressed = camera;
        collideCameraWithPiece(room.model, pressed, pressed.position - room.position, collisionRadius, turn);
    });
    std::printf("collision with one piece (%d triangles): %.2f us\n", countTriangles(room.model), collision);

    const double nearestPiece = microsecondsPerCall(20000, [&](int i) {
        volatile int found = nearestLevelPiece(*level, Vector3(static_cast<float>(i % 1000), 0, 300));
        (void)found;
    });
    std::printf("nearest level piece (%d pieces): %.2f us\n", level->pieceCount, nearestPiece);

    const double nearestLights = microsecondsPerCall(200, [&](int) {
        for (int i = 0; i < level->pieceCount; ++i) {
            volatile float x = lightForPiece(*level, level->pieces[i].position).x;
            (void)x;
        }
    });
    std::printf("nearest light for every piece, one scene pass (%d lights): %.2f us\n", level->lights.lightCount, nearestLights);

    if (gl) {
        positionCamera(level->playerCamera, 0, 0, 0, 0, 0, 30, 0, 1, 0);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 640.0 / 480.0, 1.0, 5000.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        gluLookAt(0, 0, 0, 0, 0, 30, 0, 1, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        level->renderWorld(false);

        int props = 0;
        for (int i = 0; i < level->pieceCount; ++i)
            props += level->pieces[i].isProp ? 1 : 0;
        const double occlusion = microsecondsPerCall(20, [&](int) {
            for (int i = 0; i < level->pieceCount; ++i) {
                const LevelPiece& piece = level->pieces[i];
                if (piece.isProp)
                    isModelVisible(piece.model, piece.position, piece.rotation);
            }
        });
        std::printf("occlusion queries, one logic pass (%d props): %.1f us (%.2f us each)\n", props, occlusion,
                    occlusion / props);

        const double logic = microsecondsPerCall(20, [&](int) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            level->renderWorld(false);
            glFinish();
        });
        std::printf("logic pass, whole (depth fill, occlusion, rules): %.1f us\n", logic);

        const double scene = microsecondsPerCall(20, [&](int) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glLoadIdentity();
            gluLookAt(0, 0, 0, 0, 0, 30, 0, 1, 0);
            level->renderWorld(true);
            glFinish();
        });
        std::printf("scene pass, whole (software renderer included): %.1f us\n", scene);
        releaseWorld(*level);
        compareLevelSizes(640, 480);
    }

    std::filesystem::current_path(std::filesystem::temp_directory_path());
    std::filesystem::remove_all(dir);
    setMessageBoxResponder(nullptr);
    return 0;
}
