// The timedemo's pieces: options, walk files and scripts, the game's start-up
// as the timedemo answers it, the timed runs and the recording.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "core/geometry.h"

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

extern const char* const usage;
extern const char* const scriptHelp;

double secondsBetween(Clock::time_point from, Clock::time_point to);
// The processor time of the whole process so far (the renderer's threads
// included): less disturbed than wall time by other programs on the machine.
double processSeconds();

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
bool parseOptions(int argc, char** argv, Options& options);

// ---- Walk files and scripts (walk.cpp) ---------------------------------------

// Reads a walk: one camera per line (position x y z, view point x y z),
// blank lines and lines starting with '#' skipped. False with a message
// naming the line when a line is anything else, or the walk is empty.
bool readWalk(const std::string& path, std::vector<Camera>& walk);
// Writes a walk with a comment header saying how it was recorded.
bool writeWalk(const std::string& path, const std::vector<Camera>& walk, const Options& options);

// One frame of a scripted walk: the key held (0 for none), the turn and the
// change of the view point's height (the mouse's vertical look).
struct ScriptFrame {
    int key = 0;
    float turnDegrees = 0.0f;
    float lift = 0.0f;
};

// Expands a script ("W100 R90 P10 ...") into frames; false with a message
// on a word it does not know.
bool parseScript(const std::string& script, std::vector<ScriptFrame>& frames);

// ---- The game (session.cpp) -------------------------------------------------------

struct StartUpTimes {
    Clock::time_point begin;
    Clock::time_point windowReady;  // createGameWindow returned
};

// The start of runGame: configuration, the full-screen question, the window
// and startUpEngine inside it. False (after telling why) when the game could
// not start or start-up ended it (a missing map, material or shader support).
bool startGame(StartUpTimes& times);
// The start-up split by stage.
void printStartUp(const StartUpTimes& times);
// Takes every pending window message; false when the game asked to quit.
bool pumpMessages();
// Puts the game where every run starts: a fresh level (bottles back, full
// hit points), the exposure at its start value, the play screen.
void resetForRun();
// Error boxes the game showed.
int failuresReported();
// Releases the level and the window.
void endGame();

// ---- Runs (runs.cpp, profile.cpp) and recording (record.cpp) -----------------------

// Runs the walk with post-processing on, off, the single-pass floor, then the
// profile, printing each; restores the post-processing flags afterwards.
int runTimedemo(const Options& options, const std::vector<Camera>& walk);
// The profiled run: renderWorldFrame at every camera with each pass timed.
bool profileWalk(const std::vector<Camera>& walk);
// Plays from the player start and records the camera of every frame until
// Escape, by hand or by script.
int recordWalk(const Options& options);
