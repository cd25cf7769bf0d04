#include "tools/generate/noise.h"

#include <cmath>

uint64_t Random::next()
{
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Random::uniform()
{
    return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f);
}

float Random::range(float low, float high)
{
    return low + (high - low) * uniform();
}

uint32_t Random::below(uint32_t count)
{
    return count == 0 ? 0 : static_cast<uint32_t>(next() % count);
}

uint32_t hashPoint(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
    uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<uint32_t>(y) * 0xC2B2AE35u;
    h = (h << 17) | (h >> 15);
    h ^= static_cast<uint32_t>(z) * 0x165667B1u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hashUnit(int32_t x, int32_t y, int32_t z, uint32_t seed)
{
    return static_cast<float>(hashPoint(x, y, z, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

float fade(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

int32_t wrap(int32_t i, int period)
{
    if (period <= 0)
        return i;
    const int32_t m = i % period;
    return m < 0 ? m + period : m;
}

}  // namespace

float valueNoise2(float x, float y, uint32_t seed, int periodX, int periodY)
{
    const float fx = std::floor(x);
    const float fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx);
    const int32_t iy = static_cast<int32_t>(fy);
    const float tx = fade(x - fx);
    const float ty = fade(y - fy);
    const int32_t x0 = wrap(ix, periodX), x1 = wrap(ix + 1, periodX);
    const int32_t y0 = wrap(iy, periodY), y1 = wrap(iy + 1, periodY);
    const float a = hashUnit(x0, y0, 0, seed);
    const float b = hashUnit(x1, y0, 0, seed);
    const float c = hashUnit(x0, y1, 0, seed);
    const float d = hashUnit(x1, y1, 0, seed);
    return mixf(mixf(a, b, tx), mixf(c, d, tx), ty);
}

float valueNoise3(float x, float y, float z, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy), iz = static_cast<int32_t>(fz);
    const float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float corner[8];
    for (int k = 0; k < 8; ++k)
        corner[k] = hashUnit(ix + (k & 1), iy + ((k >> 1) & 1), iz + ((k >> 2) & 1), seed);
    const float x00 = mixf(corner[0], corner[1], tx), x10 = mixf(corner[2], corner[3], tx);
    const float x01 = mixf(corner[4], corner[5], tx), x11 = mixf(corner[6], corner[7], tx);
    return mixf(mixf(x00, x10, ty), mixf(x01, x11, ty), tz);
}

float fbm2(float x, float y, uint32_t seed, int octaves, int periodX, int periodY, float gain)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f, frequency = 1.0f;
    for (int k = 0; k < octaves; ++k) {
        sum += weight * valueNoise2(x * frequency, y * frequency, seed + 101u * static_cast<uint32_t>(k), periodX,
                                    periodY);
        total += weight;
        weight *= gain;
        frequency *= 2.0f;
        periodX *= 2;
        periodY *= 2;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

float fbm3(float x, float y, float z, uint32_t seed, int octaves, float gain)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f, frequency = 1.0f;
    for (int k = 0; k < octaves; ++k) {
        sum += weight * valueNoise3(x * frequency, y * frequency, z * frequency,
                                    seed + 101u * static_cast<uint32_t>(k));
        total += weight;
        weight *= gain;
        frequency *= 2.0f;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

CellSample cellular2(float x, float y, uint32_t seed, int period)
{
    const int32_t ix = static_cast<int32_t>(std::floor(x));
    const int32_t iy = static_cast<int32_t>(std::floor(y));
    CellSample result;
    result.nearest = 1e9f;
    result.second = 1e9f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const int32_t cx = ix + dx, cy = iy + dy;
            const int32_t wx = wrap(cx, period), wy = wrap(cy, period);
            const uint32_t h = hashPoint(wx, wy, 7, seed);
            const float px = static_cast<float>(cx) + 0.1f + 0.8f * static_cast<float>(h & 0xFFFF) / 65535.0f;
            const float py = static_cast<float>(cy) + 0.1f + 0.8f * static_cast<float>(h >> 16) / 65535.0f;
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.id = hashPoint(wx, wy, 13, seed);
                result.pointX = px;
                result.pointY = py;
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}

float rockNoise(const Vector3& p, uint32_t seed)
{
    const float n = fbm3(p.x / 34.0f, p.y / 34.0f, p.z / 34.0f, seed, 2);
    return clampf((n - 0.2f) / 0.6f, 0.0f, 1.0f);
}

float footWeight(float height)
{
    return smoothstepf(0.0f, 36.0f, height);
}

float clampf(float v, float low, float high)
{
    return v < low ? low : (v > high ? high : v);
}

float smoothstepf(float edge0, float edge1, float t)
{
    const float x = clampf((t - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return x * x * (3.0f - 2.0f * x);
}

float mixf(float a, float b, float t)
{
    return a + (b - a) * t;
}
