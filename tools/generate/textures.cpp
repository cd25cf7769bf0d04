#include "tools/generate/textures.h"

#include <algorithm>
#include <cmath>

#include "assets/writers.h"
#include "tools/generate/models.h"
#include "tools/generate/noise.h"

namespace {

// What a pattern gives at one point of the tile: relief height (0 deep to 1
// high), albedo and specular strength.
struct Texel {
    float height = 0.5f;
    float r = 0.5f, g = 0.5f, b = 0.5f;
    float specular = 0.2f;
    // The surface is lit from within (a flame): its normal points into it.
    bool litFromWithin = false;
};

struct Colour {
    float r, g, b;
};

// The colour t of the way from a to b.
Colour mixColour(const Colour& a, const Colour& b, float t)
{
    return {mixf(a.r, b.r, t), mixf(a.g, b.g, t), mixf(a.b, b.b, t)};
}

// A texel with its albedo darkened by shade (baked hollows), all clamped to 0..1.
Texel texel(float height, const Colour& colour, float shade, float specular)
{
    return {clampf(height, 0.0f, 1.0f), clampf(colour.r * shade, 0.0f, 1.0f), clampf(colour.g * shade, 0.0f, 1.0f),
            clampf(colour.b * shade, 0.0f, 1.0f), clampf(specular, 0.0f, 1.0f)};
}

// Distance to the nearest cell edge, in cell units (0 on an edge).
float edgeDistance(const CellSample& cell)
{
    return (cell.second - cell.nearest) * 0.5f;
}

// Rough cave rock: layered, banded stone, broken here and there by a
// meandering crack, brown-grey.
Texel caveRock(float u, float v)
{
    const float base = fbm2(u * 6, v * 6, 11, 6, 6, 6);
    const float big = fbm2(u * 2, v * 2, 12, 3, 2, 2);
    // Cracks: cell edges of a warped lattice, only where a mask allows.
    const float wu = u + 0.09f * (fbm2(u * 4, v * 4, 14, 4, 4, 4) - 0.5f);
    const float wv = v + 0.09f * (fbm2(u * 4, v * 4, 15, 4, 4, 4) - 0.5f);
    const float mask = smoothstepf(0.42f, 0.62f, fbm2(u * 3, v * 3, 16, 3, 3, 3));
    const float crack = 1.0f - (1.0f - smoothstepf(0.0f, 0.03f, edgeDistance(cellular2(wu * 4, wv * 4, 13, 4)))) * mask;
    const float strata = 0.5f + 0.5f * std::sin(6.2831853f * (v * 7.0f + 0.6f * big));
    const float height = (0.5f * base + 0.35f * big + 0.15f * strata) * (0.6f + 0.4f * crack);
    const Colour colour = mixColour({0.40f, 0.35f, 0.29f}, {0.66f, 0.58f, 0.48f}, smoothstepf(0.3f, 0.72f, base));
    const Colour tinted = mixColour(colour, {0.46f, 0.36f, 0.27f}, big * 0.5f + strata * 0.12f);
    return texel(height, tinted, 0.55f + 0.6f * height, 0.12f + 0.4f * (1.0f - crack));
}

// Wet rock: dark and bluish, glistening where water runs down.
Texel wetRock(float u, float v)
{
    const float base = fbm2(u * 4, v * 4, 21, 5, 4, 4);
    const float streak = fbm2(u * 12, v * 3, 22, 3, 12, 3);
    const float wu = u + 0.08f * (fbm2(u * 3, v * 3, 24, 3, 3, 3) - 0.5f);
    const float mask = smoothstepf(0.45f, 0.65f, fbm2(u * 3, v * 3, 25, 3, 3, 3));
    const float crack = 1.0f - (1.0f - smoothstepf(0.0f, 0.03f, edgeDistance(cellular2(wu * 3, v * 3, 23, 3)))) * mask;
    const float height = (0.8f * base + 0.2f * streak) * (0.65f + 0.35f * crack);
    const Colour colour = mixColour({0.25f, 0.27f, 0.30f}, {0.50f, 0.52f, 0.55f}, smoothstepf(0.25f, 0.75f, base));
    const float wet = smoothstepf(0.5f, 0.72f, streak);
    return texel(height, colour, (0.65f + 0.45f * height) * (1.0f - 0.2f * wet), 0.3f + 0.6f * wet);
}

// Cobbles: rounded stones of varied tint set in dark earth.
Texel cobbles(float u, float v)
{
    const CellSample cell = cellular2(u * 7, v * 7, 31, 7);
    const float edge = edgeDistance(cell);
    const float dome = std::sqrt(smoothstepf(0.0f, 0.3f, edge));
    const float grit = fbm2(u * 32, v * 32, 32, 3, 32, 32);
    const float tint = static_cast<float>(cell.id & 0xFF) / 255.0f;
    const float mortar = 1.0f - smoothstepf(0.02f, 0.07f, edge);
    const float height = dome * 0.85f + grit * 0.15f;
    const Colour stone = mixColour({0.40f, 0.38f, 0.35f}, {0.62f, 0.57f, 0.50f}, tint);
    const Colour colour = mixColour(stone, {0.16f, 0.13f, 0.10f}, mortar);
    return texel(height, colour, 0.7f + 0.4f * grit, 0.3f * (1.0f - mortar) + 0.05f);
}

// Mossy rock: cave rock with green moss in its hollows.
Texel mossyRock(float u, float v)
{
    const Texel rock = caveRock(u, v);
    const float patch = fbm2(u * 5, v * 5, 41, 5, 5, 5);
    const float moss = smoothstepf(0.5f, 0.66f, patch + (0.5f - rock.height) * 0.6f);
    const float fuzz = fbm2(u * 48, v * 48, 42, 2, 48, 48);
    const Colour green = mixColour({0.16f, 0.26f, 0.08f}, {0.30f, 0.42f, 0.13f}, fuzz);
    const Colour colour = mixColour({rock.r, rock.g, rock.b}, green, moss);
    const float height = mixf(rock.height, 0.55f + 0.15f * fuzz, moss * 0.8f);
    return texel(height, colour, 1.0f, mixf(rock.specular, 0.04f, moss));
}

// Worn wooden planks running along s, woodPlanksPerTile to a tile: grain,
// rounded and dirty edges, knots, nail heads at the joints, pale scuffs
// across the grain and greyed, weathered patches.
Texel woodPlanks(float u, float v)
{
    const int planks = woodPlanksPerTile;
    const float row = v * static_cast<float>(planks);
    const int plank = static_cast<int>(std::floor(row));
    const float across = row - static_cast<float>(plank);
    const float shift = hashUnit(plank, 0, 0, 51);
    const float lengthwise = u * 2.0f + shift;
    const int piece = static_cast<int>(std::floor(lengthwise));
    const float joint = lengthwise - static_cast<float>(piece);
    const float grain = fbm2(u * 4, v * 48, 52 + static_cast<uint32_t>(plank), 4, 4, 48);
    const float rings = 0.5f + 0.5f * std::sin(grain * 40.0f + across * 3.0f);
    // Edges worn round: the height falls off over the outer eighth.
    const float edge = smoothstepf(0.0f, 0.12f, across) * smoothstepf(0.0f, 0.12f, 1.0f - across) *
                       smoothstepf(0.0f, 0.02f, joint) * smoothstepf(0.0f, 0.02f, 1.0f - joint);
    const float gap = smoothstepf(0.0f, 0.03f, across) * smoothstepf(0.0f, 0.03f, 1.0f - across) *
                      smoothstepf(0.0f, 0.008f, joint) * smoothstepf(0.0f, 0.008f, 1.0f - joint);
    // One knot in some pieces, its rings pushed round it.
    float knot = 0.0f;
    const uint32_t pieceId = static_cast<uint32_t>(piece & 1) + 2u * static_cast<uint32_t>(plank);
    if (hashUnit(static_cast<int>(pieceId), 1, 0, 54) < 0.6f) {
        const float ka = 0.2f + 0.6f * hashUnit(static_cast<int>(pieceId), 2, 0, 54);
        const float kb = 0.3f + 0.4f * hashUnit(static_cast<int>(pieceId), 3, 0, 54);
        const float da = (joint - ka) * 3.0f, db = (across - kb) * 0.9f;
        const float d = std::sqrt(da * da + db * db);
        knot = 1.0f - smoothstepf(0.03f, 0.09f, d);
        knot = std::max(knot, 0.5f * (1.0f - smoothstepf(0.05f, 0.2f, d)) * (0.5f + 0.5f * std::sin(d * 90.0f)));
    }
    // Two nail heads near each end of a piece.
    float nail = 0.0f;
    for (float at : {0.035f, 0.965f})
        for (float side : {0.3f, 0.7f}) {
            const float da = (joint - at) * 12.0f, db = across - side;
            nail = std::max(nail, 1.0f - smoothstepf(0.035f, 0.055f, std::sqrt(da * da + db * db)));
        }
    const float scuff = smoothstepf(0.62f, 0.8f, fbm2(u * 48, v * 4, 55, 3, 48, 4)) *
                        smoothstepf(0.4f, 0.6f, fbm2(u * 3, v * 3, 56, 2, 3, 3));
    const float weather = smoothstepf(0.45f, 0.7f, fbm2(u * 5, v * 5, 57, 4, 5, 5));
    const float tone = hashUnit(plank, piece % 2, 1, 53);
    Colour colour = mixColour(mixColour({0.30f, 0.18f, 0.09f}, {0.50f, 0.33f, 0.18f}, tone), {0.24f, 0.14f, 0.07f},
                              rings * 0.45f);
    colour = mixColour(colour, {0.46f, 0.41f, 0.35f}, weather * 0.55f);
    colour = mixColour(colour, {0.62f, 0.50f, 0.36f}, scuff * 0.6f);
    colour = mixColour(colour, {0.14f, 0.08f, 0.04f}, knot * 0.8f);
    colour = mixColour(colour, {0.12f, 0.11f, 0.10f}, nail);
    const float height = gap * (0.55f + 0.3f * edge + 0.15f * rings) - 0.1f * scuff + 0.15f * nail - 0.1f * knot;
    return texel(height, colour, (0.4f + 0.6f * gap) * (0.75f + 0.25f * edge), 0.08f + 0.12f * rings * gap + 0.5f * nail);
}

// Rusty iron: riveted plates, rust eating in from the seams.
Texel rustyIron(float u, float v)
{
    const float pu = u * 2.0f - std::floor(u * 2.0f), pv = v * 2.0f - std::floor(v * 2.0f);
    const float seam = smoothstepf(0.0f, 0.02f, pu) * smoothstepf(0.0f, 0.02f, 1.0f - pu) *
                       smoothstepf(0.0f, 0.02f, pv) * smoothstepf(0.0f, 0.02f, 1.0f - pv);
    float rivet = 0.0f;
    for (int k = 0; k < 8; ++k) {
        const float t = (static_cast<float>(k) + 0.5f) / 8.0f;
        const float ru[4] = {0.06f, 0.94f, t, t};
        const float rv[4] = {t, t, 0.06f, 0.94f};
        for (int side = 0; side < 4; ++side) {
            const float d = std::sqrt((pu - ru[side]) * (pu - ru[side]) + (pv - rv[side]) * (pv - rv[side]));
            rivet = std::max(rivet, 1.0f - smoothstepf(0.0f, 0.025f, d));
        }
    }
    const float rustNoise = fbm2(u * 6, v * 6, 61, 6, 6, 6);
    const float rust = smoothstepf(0.45f, 0.62f, rustNoise + (1.0f - seam) * 0.3f);
    const float flakes = fbm2(u * 40, v * 40, 62, 3, 40, 40);
    const Colour metal = mixColour({0.24f, 0.25f, 0.27f}, {0.36f, 0.37f, 0.38f}, flakes);
    const Colour rusty = mixColour({0.38f, 0.17f, 0.07f}, {0.62f, 0.33f, 0.13f}, flakes);
    const Colour colour = mixColour(metal, rusty, rust);
    const float height = 0.45f * seam + 0.35f * std::sqrt(rivet) + 0.1f + rust * 0.1f * flakes;
    return texel(height, colour, 0.6f + 0.4f * seam, mixf(0.75f, 0.08f, rust));
}

// Sandstone blocks in staggered courses with chipped faces.
Texel sandstoneBlocks(float u, float v)
{
    const int courses = 6, blocks = 3;
    const float row = v * static_cast<float>(courses);
    const int course = static_cast<int>(std::floor(row));
    const float across = row - static_cast<float>(course);
    const float along = u * static_cast<float>(blocks) + (course % 2 == 0 ? 0.0f : 0.5f);
    const int block = static_cast<int>(std::floor(along));
    const float inBlock = along - static_cast<float>(block);
    const float mortar = std::min(smoothstepf(0.0f, 0.08f, across) * smoothstepf(0.0f, 0.08f, 1.0f - across),
                                  smoothstepf(0.0f, 0.035f, inBlock) * smoothstepf(0.0f, 0.035f, 1.0f - inBlock));
    const float chips = fbm2(u * 20, v * 20, 71, 4, 20, 20);
    const float tone = hashUnit(block % blocks, course, 0, 72);
    const Colour stone = mixColour({0.50f, 0.40f, 0.28f}, {0.68f, 0.58f, 0.42f}, tone);
    const Colour colour = mixColour({0.22f, 0.18f, 0.14f}, stone, mortar);
    const float height = mortar * (0.75f + 0.25f * chips);
    return texel(height, colour, 0.6f + 0.45f * chips, 0.06f + 0.14f * mortar);
}

// Where (u, v) lies in a region, as local coordinates 0 to 1; false outside.
bool inRegion(const AtlasRegion& region, float u, float v, float& a, float& b)
{
    if (u < region.s0 || u >= region.s1 || v < region.t0 || v >= region.t1)
        return false;
    a = (u - region.s0) / (region.s1 - region.s0);
    b = (v - region.t0) / (region.t1 - region.t0);
    return true;
}

// Split wood for torch sticks and logs: grain along a, dry and light.
Texel fireWood(float a, float b)
{
    const float grain = fbm2(a * 3, b * 30, 201, 4, 0, 0);
    const float rings = 0.5f + 0.5f * std::sin(grain * 34.0f + b * 9.0f);
    const float split = smoothstepf(0.78f, 0.9f, fbm2(a * 2, b * 40, 204, 3, 0, 0));
    const Colour colour = mixColour(mixColour({0.42f, 0.29f, 0.16f}, {0.58f, 0.43f, 0.26f}, grain),
                                    {0.26f, 0.16f, 0.08f}, rings * 0.4f + split * 0.5f);
    return texel(0.55f + 0.25f * (rings - 0.5f) - 0.3f * split, colour, 1.0f, 0.06f);
}

// Embers: black charred plates split by cracks that glow orange to yellow,
// some plates glowing whole, ash flecks on the rest.
Texel fireEmbers(float a, float b)
{
    const CellSample cell = cellular2(a * 9, b * 9, 202, 0);
    const float crack = 1.0f - smoothstepf(0.0f, 0.09f, edgeDistance(cell));
    const bool hotPlate = (cell.id & 0xFF) < 70;
    const float heat = fbm2(a * 14, b * 14, 203, 3, 0, 0);
    const float ash = smoothstepf(0.62f, 0.75f, fbm2(a * 30, b * 30, 205, 3, 0, 0));
    const Colour glow = mixColour({1.0f, 0.40f, 0.06f}, {1.0f, 0.80f, 0.36f}, heat);
    Colour colour = mixColour({0.08f, 0.055f, 0.04f}, {0.36f, 0.34f, 0.31f}, ash);
    if (hotPlate)
        colour = mixColour(colour, mixColour({0.85f, 0.25f, 0.04f}, glow, 0.5f), 0.85f);
    colour = mixColour(colour, glow, crack);
    return texel(0.7f - 0.5f * crack, colour, 1.0f, 0.1f + 0.3f * crack);
}

// Flame: b from the foot (0) to the tip (1), a once round. White-yellow
// where it is hottest, orange further up, red at the tips, with tongues
// streaking up. Lit from within and flat (no relief, no highlight).
Texel fireFlame(float a, float b)
{
    const float streak = fbm2(a * 12, b * 3, 206, 3, 12, 0);
    const float heat = 1.0f - smoothstepf(0.22f, 0.95f, b + 0.5f * (streak - 0.5f));
    const Colour tip{0.92f, 0.26f, 0.03f}, middle{1.0f, 0.62f, 0.13f}, core{1.0f, 0.96f, 0.78f};
    Colour colour = mixColour(tip, middle, smoothstepf(0.0f, 0.5f, heat));
    colour = mixColour(colour, core, smoothstepf(0.55f, 0.92f, heat));
    // The foot is a little deeper in colour, where the flame leaves the wood.
    colour = mixColour({1.0f, 0.55f, 0.12f}, colour, smoothstepf(0.0f, 0.12f, b));
    Texel t = texel(0.5f, colour, 1.0f, 0.0f);
    t.litFromWithin = true;
    return t;
}

// Sooty stone for hearths, and black iron where a model wants metal.
Texel fireStone(float a, float b)
{
    const float base = fbm2(a * 5, b * 5, 207, 5, 0, 0);
    const float grain = fbm2(a * 40, b * 40, 209, 2, 0, 0);
    const float soot = smoothstepf(0.45f, 0.8f, fbm2(a * 3, b * 3, 208, 3, 0, 0));
    const Colour rock = mixColour({0.42f, 0.38f, 0.33f}, {0.62f, 0.57f, 0.50f}, base);
    const Colour colour = mixColour(rock, {0.10f, 0.09f, 0.08f}, soot * 0.7f);
    return texel(0.3f + 0.5f * base + 0.2f * grain, colour, 0.85f + 0.3f * grain, 0.1f + 0.2f * soot);
}

// The fire atlas: wood, embers, flame and stone in the four quarters.
Texel fireAtlasTexel(float u, float v)
{
    float a = 0.0f, b = 0.0f;
    if (inRegion(fireAtlas::wood, u, v, a, b))
        return fireWood(a, b);
    if (inRegion(fireAtlas::embers, u, v, a, b))
        return fireEmbers(a, b);
    if (inRegion(fireAtlas::flame, u, v, a, b))
        return fireFlame(a, b);
    inRegion(fireAtlas::stone, u, v, a, b);
    return fireStone(a, b);
}

// Bottle glass: deep green, faint streaks from the mould and a few seeds
// (bubbles); glossy all over.
Texel bottleGlass(float a, float b)
{
    const float streak = fbm2(a * 40, b * 3, 211, 3, 40, 0);
    const CellSample seed = cellular2(a * 60, b * 20, 212, 60);
    const float bubble = (seed.id & 0xFF) < 20 ? 1.0f - smoothstepf(0.05f, 0.12f, seed.nearest) : 0.0f;
    const Colour colour = mixColour(mixColour({0.05f, 0.17f, 0.07f}, {0.09f, 0.26f, 0.11f}, streak),
                                    {0.35f, 0.55f, 0.38f}, bubble * 0.6f);
    return texel(0.5f + 0.04f * (streak - 0.5f), colour, 1.0f, 0.95f);
}

// The paper label, a once round the bottle and b down the band: cream paper
// with red borders and a gold rule, a round seal with a diamond on two
// sides, lines of print beside them, brown stains and a frayed edge.
Texel bottleLabel(float a, float b)
{
    const float fibre = fbm2(a * 90, b * 30, 213, 3, 90, 0);
    const float stain = smoothstepf(0.55f, 0.75f, fbm2(a * 6, b * 2, 214, 4, 6, 0));
    Colour colour = mixColour({0.88f, 0.82f, 0.66f}, {0.80f, 0.73f, 0.56f}, fibre);
    const float border = 1.0f - smoothstepf(0.12f, 0.13f, std::min(b, 1.0f - b));
    const float rule = 1.0f - smoothstepf(0.006f, 0.012f, std::fabs(std::min(b, 1.0f - b) - 0.17f));
    colour = mixColour(colour, {0.55f, 0.09f, 0.06f}, border);
    colour = mixColour(colour, {0.78f, 0.60f, 0.22f}, rule);
    // Two seals round the bottle; the band is about a quarter as high as
    // it is long, so a is stretched to keep them round.
    const float half = a * 2.0f - std::floor(a * 2.0f);
    const float dx = (half - 0.5f) * 7.0f, dy = b - 0.5f;
    const float r = std::sqrt(dx * dx + dy * dy);
    const float ring = 1.0f - smoothstepf(0.2f, 0.22f, r);
    const float inner = 1.0f - smoothstepf(0.16f, 0.18f, r);
    const float diamond = 1.0f - smoothstepf(0.1f, 0.12f, std::fabs(dx) + std::fabs(dy));
    colour = mixColour(colour, {0.10f, 0.22f, 0.10f}, ring - inner);
    colour = mixColour(colour, {0.55f, 0.09f, 0.06f}, diamond);
    // Lines of print either side of the seal.
    const float side = std::fabs(dx);
    const float lines = (side > 0.4f && side < 1.45f && b > 0.27f && b < 0.73f)
                            ? smoothstepf(0.55f, 0.7f, std::sin(b * 50.0f) * 0.5f + 0.5f) *
                                  smoothstepf(0.35f, 0.5f, valueNoise2(a * 160.0f, b * 10.0f, 215, 160, 0))
                            : 0.0f;
    colour = mixColour(colour, {0.16f, 0.12f, 0.09f}, lines * 0.8f);
    colour = mixColour(colour, {0.55f, 0.42f, 0.25f}, stain * 0.45f);
    return texel(0.55f + 0.05f * fibre, colour, 1.0f, 0.12f);
}

// Cork: tan with dark pores.
Texel bottleCork(float a, float b)
{
    const CellSample pore = cellular2(a * 24, b * 24, 216, 0);
    const float hole = 1.0f - smoothstepf(0.05f, 0.16f, pore.nearest);
    const float tone = fbm2(a * 8, b * 8, 217, 3, 0, 0);
    const Colour colour = mixColour(mixColour({0.56f, 0.41f, 0.25f}, {0.70f, 0.55f, 0.36f}, tone), {0.25f, 0.16f, 0.09f},
                                    hole * 0.8f);
    return texel(0.6f - 0.4f * hole, colour, 1.0f, 0.05f);
}

// Sealing wax: dark red, lumpy and glossy.
Texel bottleSeal(float a, float b)
{
    const float lumps = fbm2(a * 10, b * 10, 218, 4, 0, 0);
    const Colour colour = mixColour({0.36f, 0.04f, 0.04f}, {0.58f, 0.10f, 0.07f}, lumps);
    return texel(0.3f + 0.5f * lumps, colour, 1.0f, 0.7f);
}

// The bottle atlas: glass above, the label band, cork and wax below.
Texel bottleAtlasTexel(float u, float v)
{
    float a = 0.0f, b = 0.0f;
    if (inRegion(bottleAtlas::glass, u, v, a, b))
        return bottleGlass(a, b);
    if (inRegion(bottleAtlas::label, u, v, a, b))
        return bottleLabel(a, b);
    if (inRegion(bottleAtlas::cork, u, v, a, b))
        return bottleCork(a, b);
    inRegion(bottleAtlas::seal, u, v, a, b);
    return bottleSeal(a, b);
}

// One material: its map file stem, its pattern and how deep its relief is.
struct MaterialPattern {
    const char* stem;
    Texel (*pattern)(float, float);
    float bump;  // relief depth as a fraction of the tile
};

const MaterialPattern patterns[9] = {
    {"CaveRock", caveRock, 0.035f},         {"WetRock", wetRock, 0.03f},
    {"Cobbles", cobbles, 0.03f},            {"MossyRock", mossyRock, 0.035f},
    {"WoodPlanks", woodPlanks, 0.012f},     {"RustyIron", rustyIron, 0.012f},
    {"SandstoneBlocks", sandstoneBlocks, 0.02f}, {"Embers", fireAtlasTexel, 0.02f},
    {"BottleGlass", bottleAtlasTexel, 0.01f},
};

}  // namespace

const std::vector<std::string>& materialStems()
{
    static const std::vector<std::string> stems = [] {
        std::vector<std::string> list;
        for (const MaterialPattern& pattern : patterns)
            list.push_back(pattern.stem);
        return list;
    }();
    return stems;
}

MaterialMaps buildMaterialMaps(int index, int size)
{
    const MaterialPattern& pattern = patterns[index];
    MaterialMaps maps;
    maps.stem = pattern.stem;
    maps.size = size;
    const size_t count = static_cast<size_t>(size) * static_cast<size_t>(size);
    std::vector<float> height(count);
    std::vector<bool> inward(count);
    maps.diffuse.resize(count * 3);
    maps.height.resize(count * 3);
    maps.specular.resize(count * 3);
    maps.normal.resize(count * 3);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
            const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
            const Texel t = pattern.pattern(u, v);
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x);
            height[i] = t.height;
            inward[i] = t.litFromWithin;
            maps.diffuse[3 * i] = t.r;
            maps.diffuse[3 * i + 1] = t.g;
            maps.diffuse[3 * i + 2] = t.b;
            for (int c = 0; c < 3; ++c) {
                maps.height[3 * i + c] = t.height;
                maps.specular[3 * i + c] = t.specular;
            }
        }
    }
    // Normals from the height slopes (wrapping at the edges, as the tile
    // repeats): x along s (picture columns), y along t (picture rows).
    const float scale = pattern.bump * static_cast<float>(size) * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const auto h = [&](int px, int py) {
                px = (px + size) % size;
                py = (py + size) % size;
                return height[static_cast<size_t>(py) * static_cast<size_t>(size) + static_cast<size_t>(px)];
            };
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x);
            if (inward[i]) {
                // Straight into the surface, towards the light inside.
                maps.normal[3 * i] = 0.5f;
                maps.normal[3 * i + 1] = 0.5f;
                maps.normal[3 * i + 2] = 0.0f;
                continue;
            }
            const float dx = (h(x + 1, y) - h(x - 1, y)) * scale;
            const float dy = (h(x, y + 1) - h(x, y - 1)) * scale;
            const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
            maps.normal[3 * i] = 0.5f - 0.5f * dx / length;
            maps.normal[3 * i + 1] = 0.5f - 0.5f * dy / length;
            maps.normal[3 * i + 2] = 0.5f + 0.5f / length;
        }
    }
    return maps;
}

bool writeMaterialMaps(const std::string& dataDir)
{
    bool ok = true;
    for (int index = 0; index < 9; ++index) {
        const MaterialMaps maps = buildMaterialMaps(index, materialMapSize);
        const std::string stem = dataPath(dataDir, "Data/Textures/Materials/" + maps.stem);
        ok = saveFile(stem + "Diffuse.hdr", writeRgbe(maps.size, maps.size, maps.diffuse)) && ok;
        ok = saveFile(stem + "Normal.hdr", writeRgbe(maps.size, maps.size, maps.normal)) && ok;
        ok = saveFile(stem + "Height.hdr", writeRgbe(maps.size, maps.size, maps.height)) && ok;
        ok = saveFile(stem + "Specular.hdr", writeRgbe(maps.size, maps.size, maps.specular)) && ok;
    }
    return ok;
}
