// What the benchmarks measure inside the engine and the switches they turn:
// not part of the game's interface, included by the benchmarks and the few
// engine files that keep the figures.
#pragma once

#include <chrono>

// When the last loadLevel ran and how long its materials, models and display
// lists took, in seconds.
struct LevelLoadTimes {
    std::chrono::steady_clock::time_point begin;
    std::chrono::steady_clock::time_point end;
    double materials = 0.0;
    double models = 0.0;
    double displayLists = 0.0;
};

// Seconds the world passes took while timePasses is set: renderWorldFrame
// then finishes the GL work (finishGlWork) before and after each pass and
// adds its time.
struct PassTimes {
    double logicPass = 0.0;
    double scenePass[2] = {};  // the first and second scene pass of a frame
};

struct WorldMeasurements {
    LevelLoadTimes levelLoad;        // of the last loadLevel
    bool depthPrePass = true;        // the shown scene pass fills depth first (off only to compare)
    unsigned shadedFragmentQuery = 0;  // an ARB query the shown scene pass counts its shaded fragments into
    bool timePasses = false;
    PassTimes passTimes;
};

extern WorldMeasurements worldMeasurements;

// Returns once the GL has done every command given so far, on any driver:
// glFinish, then one pixel read back from the current read buffer, which an
// asynchronous driver can answer only when the drawing into it is done.
void finishGlWork();
// The same after a buffer swap: the pixel comes from the front buffer, which
// holds the frame just shown.
void finishShownFrame();
