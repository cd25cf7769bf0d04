// Deterministic pseudo-random numbers and procedural noise for the content
// generator. Everything here is integer hashing and plain float arithmetic,
// so the same seed gives the same numbers on every run and every machine
// with the same compiler; no library random distributions are used.
#pragma once

#include <cstdint>

#include "core/geometry.h"

// A small sequential generator (SplitMix64): fixed seed in, fixed stream out.
struct Random {
    uint64_t state = 0;

    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    float uniform();
    // Uniform in [low, high).
    float range(float low, float high);
    // Uniform integer in [0, count); 0 when count is 0.
    uint32_t below(uint32_t count);
};

// A 32-bit hash of a lattice point and a seed.
uint32_t hashPoint(int32_t x, int32_t y, int32_t z, uint32_t seed);
// The hash mapped to [0, 1).
float hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed);

// Smooth value noise in [0, 1] on an integer lattice. The 2D variants wrap
// with the given periods (in lattice cells along x and y) so textures tile
// seamlessly; a period of 0 does not wrap.
float valueNoise2(float x, float y, uint32_t seed, int periodX, int periodY);
float valueNoise3(float x, float y, float z, uint32_t seed);

// Fractal sums of value noise, normalised to [0, 1]: octave k has twice the
// frequency and `gain` times the weight of octave k - 1. The 2D sum tiles
// with the base periods (each octave's periods double with its frequency).
float fbm2(float x, float y, uint32_t seed, int octaves, int periodX, int periodY, float gain = 0.5f);
float fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain = 0.5f);

// Worley (cellular) noise on a wrapping lattice of `period` cells with one
// feature point per cell: distances to the nearest and second-nearest
// points, in cell units, and the nearest point's cell hash.
struct CellSample {
    float nearest = 0.0f;
    float second = 0.0f;
    uint32_t id = 0;
    float pointX = 0.0f;  // the nearest point, in the input's coordinates
    float pointY = 0.0f;
};
CellSample cellular2(float x, float y, uint32_t seed, int period);

// How far rock at a point stands out, in [0, 1]: broad bumps about 35 units
// across, gentle enough (slopes well under 45 degrees at a roughness of 10)
// that neighbouring faces never fold into overhangs or sharp ridges, which
// the camera's sphere test would catch on.
float rockNoise(const Vector3& p, uint32_t seed);
// The share of rock displacement a wall takes at a height above its floor:
// none at the foot, all of it from 36 up, so walls lean back from the floor
// and never overhang it.
float footWeight(float height);

// Clamps to [low, high].
float clampf(float v, float low, float high);
// Hermite smooth step of t between edge0 and edge1.
float smoothstepf(float edge0, float edge1, float t);
float mixf(float a, float b, float t);
