#include "tools/generate/chamber.h"

#include <algorithm>
#include <cmath>

#include "tools/generate/noise.h"
#include "tools/generate/tunnel.h"

namespace {

const Vector3 up(0.0f, 1.0f, 0.0f);

// Horizontal normal of the edge a-b pointing away from the chamber's centre.
Vector3 outwardOf(const Vector3& a, const Vector3& b, const Vector3& centre)
{
    const Vector3 along = unit(b - a);
    Vector3 normal(along.z, 0.0f, -along.x);
    const Vector3 mid = (a + b) * 0.5f;
    if (dot(normal, mid - centre) < 0.0f)
        normal = normal * -1.0f;
    return normal;
}

// Points along a portal edge where the doorway profile meets the floor:
// where the notch starts and ends and the doorway's centre line.
std::vector<float> portalFloorBreaks(float length)
{
    std::vector<float> breaks;
    const float middle = length * 0.5f;
    for (float x : {middle - doorHalfWidth, middle, middle + doorHalfWidth})
        if (x > 0.01f && x < length - 0.01f)
            breaks.push_back(x);
    return breaks;
}

// One wall column of a rough chamber.
struct Column {
    Vector3 floor;
    Vector3 outward;
    float around = 0.0f;      // distance along the walls, for texturing
    float fade = 1.0f;        // displacement weight (0 at doorway panels)
    bool portalNext = false;  // the span to the next column is part of a doorway panel
    size_t edge = 0;          // the outline edge the column starts on
    bool edgeStart = false;   // the column is the edge's first point
};

}  // namespace

void buildRoughChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out)
{
    const size_t n = outline.points.size();
    std::vector<Column> columns;
    float around = 0.0f;
    for (size_t i = 0; i < n; ++i) {
        const Vector3& a = outline.points[i];
        const Vector3& b = outline.points[(i + 1) % n];
        const float length = lengthOf(b - a);
        const Vector3 normal = outwardOf(a, b, outline.centre);
        const Vector3 previousNormal = outwardOf(outline.points[(i + n - 1) % n], a, outline.centre);
        // Doorway edges are divided like the rock so the dome above them is
        // made of triangles as small as elsewhere: the collision takes each
        // triangle's normal from its smoothed vertex normals, which would tilt
        // across one long triangle.
        const int parts = std::max(1, static_cast<int>(std::ceil(length / style.columnStep)));
        for (int k = 0; k < parts; ++k) {
            Column column;
            const float t = static_cast<float>(k) / static_cast<float>(parts);
            column.floor = lerp(a, b, t);
            column.outward = k == 0 ? unit(normal + previousNormal) : normal;
            column.around = around + length * t;
            column.portalNext = outline.portal[i];
            column.edge = i;
            column.edgeStart = k == 0;
            columns.push_back(column);
        }
        around += length;
    }
    // Rock fades out towards doorway panels so their flat edges meet the wall.
    const bool anyPortal = std::find(outline.portal.begin(), outline.portal.end(), true) != outline.portal.end();
    for (size_t c = 0; c < columns.size(); ++c) {
        if (!anyPortal)
            break;
        float nearest = 1e9f;
        for (size_t p = 0; p < columns.size(); ++p) {
            const bool portalEnd = columns[p].portalNext || columns[(p + columns.size() - 1) % columns.size()].portalNext;
            if (!portalEnd)
                continue;
            float d = std::fabs(columns[c].around - columns[p].around);
            d = std::min(d, around - d);
            nearest = std::min(nearest, d);
        }
        columns[c].fade = columns[c].portalNext && !columns[c].edgeStart ? 0.0f : smoothstepf(0.0f, 30.0f, nearest);
    }
    // The first column again at the end closes the loop (its own texture
    // coordinate, so the wall's texture does not run backwards).
    Column closing = columns.front();
    closing.around = around;
    columns.push_back(closing);

    const int rows = style.wallRows;
    const auto displaced = [&](const Column& column, float height, float weight) {
        const Vector3 nominal = column.floor + up * height;
        if (style.roughness <= 0.0f)
            return nominal;
        // Broad bumps only (see the tunnels): no sharp ridges between faces.
        const float noise = fbm3(nominal.x / 30.0f, nominal.y / 30.0f, nominal.z / 30.0f, style.seed, 2);
        const float amount = style.roughness * column.fade * weight * clampf((noise - 0.15f) / 0.7f, 0.0f, 1.0f);
        return nominal + column.outward * amount;
    };

    // Walls: one grid with shared vertices (smooth rock), doorway spans left
    // out (only columns that carry rock get vertices).
    std::vector<std::vector<Vector3>> grid(columns.size());
    std::vector<uint32_t> firstVertex(columns.size(), 0);
    for (size_t c = 0; c < columns.size(); ++c) {
        const bool carriesRock = (c + 1 < columns.size() && !columns[c].portalNext) ||
                                 (c > 0 && !columns[c - 1].portalNext);
        firstVertex[c] = static_cast<uint32_t>(out.walls->positions.size());
        for (int r = 0; r <= rows; ++r) {
            const float h = style.wallHeight * static_cast<float>(r) / static_cast<float>(rows);
            const Vector3 p = displaced(columns[c], h, 1.0f);
            grid[c].push_back(p);
            if (carriesRock)
                addVertex(*out.walls, p, {columns[c].around / textureWorldSize, h / textureWorldSize});
        }
    }
    for (size_t c = 0; c + 1 < columns.size(); ++c) {
        if (columns[c].portalNext) {
            if (columns[c].edgeStart) {
                size_t end = c + 1;
                while (end + 1 < columns.size() && !columns[end].edgeStart)
                    ++end;
                addPortalPanel(*out.walls, columns[c].floor, columns[end].floor, style.wallHeight,
                               outline.centre - (columns[c].floor + columns[end].floor) * 0.5f, rows,
                               static_cast<int>(end - c));
            }
            continue;
        }
        for (int r = 0; r < rows; ++r) {
            const uint32_t a = firstVertex[c] + static_cast<uint32_t>(r);
            const uint32_t b = firstVertex[c + 1] + static_cast<uint32_t>(r);
            const Vector3 facing = columns[c].outward * -1.0f;
            addQuad(*out.walls, a, b, b + 1, a + 1, facing);
        }
    }

    // Floor: a fan from the centre over the wall feet, with the points where
    // doorway floors meet the panels added so no edge ends mid-way on another.
    {
        std::vector<Vector3> rim;
        for (size_t c = 0; c + 1 < columns.size(); ++c) {
            if (columns[c].portalNext && !columns[c].edgeStart)
                continue;
            rim.push_back(grid[c][0]);
            if (columns[c].portalNext) {
                const Vector3 a = outline.points[columns[c].edge];
                const Vector3 b = outline.points[(columns[c].edge + 1) % n];
                const float length = lengthOf(b - a);
                for (float x : portalFloorBreaks(length))
                    rim.push_back(a + unit(b - a) * x);
            }
        }
        const Vector3 centre(outline.centre.x, columns.front().floor.y, outline.centre.z);
        const uint32_t hub = addVertex(*out.floor, centre, planarUv(centre, up));
        const uint32_t first = static_cast<uint32_t>(out.floor->positions.size());
        for (const Vector3& p : rim)
            addVertex(*out.floor, p, planarUv(p, up));
        for (size_t k = 0; k < rim.size(); ++k)
            addTriangle(*out.floor, hub, first + static_cast<uint32_t>(k),
                        first + static_cast<uint32_t>((k + 1) % rim.size()), up);
    }

    // Dome: rings drawn in from the wall tops towards the apex.
    {
        const int rings = std::max(1, style.domeRings);
        const float floorY = columns.front().floor.y;
        const Vector3 apex(outline.centre.x, floorY + style.domeHeight, outline.centre.z);
        const Vector3 inside(outline.centre.x, floorY + style.wallHeight * 0.5f, outline.centre.z);
        const uint32_t base = static_cast<uint32_t>(out.ceiling->positions.size());
        const size_t width = columns.size();
        for (int k = 0; k < rings; ++k) {
            const float t = static_cast<float>(k) / static_cast<float>(rings);
            for (size_t c = 0; c < width; ++c) {
                const Vector3 top = grid[c][static_cast<size_t>(rows)];
                Vector3 p;
                if (k == 0) {
                    p = top;
                } else {
                    p = Vector3(apex.x + (top.x - apex.x) * (1.0f - t), 0.0f, apex.z + (top.z - apex.z) * (1.0f - t));
                    p.y = floorY + style.wallHeight +
                          (style.domeHeight - style.wallHeight) * std::sin(1.5707963f * t);
                    if (style.roughness > 0.0f) {
                        const float noise = fbm3(p.x / 28.0f, p.y / 28.0f, p.z / 28.0f, style.seed + 7u, 2);
                        p.y += style.roughness * 1.2f * (noise - 0.5f);
                    }
                }
                addVertex(*out.ceiling, p, planarUv(p, up));
            }
        }
        const uint32_t apexIndex = addVertex(*out.ceiling, apex, planarUv(apex, up));
        for (int k = 0; k + 1 < rings; ++k) {
            for (size_t c = 0; c + 1 < width; ++c) {
                const uint32_t a = base + static_cast<uint32_t>(k * width + c);
                const uint32_t b = a + 1;
                const uint32_t d = a + static_cast<uint32_t>(width);
                const uint32_t e = d + 1;
                const Vector3 mid = (out.ceiling->positions[a] + out.ceiling->positions[e]) * 0.5f;
                addQuad(*out.ceiling, a, b, e, d, inside - mid);
            }
        }
        const uint32_t last = base + static_cast<uint32_t>((rings - 1) * width);
        for (size_t c = 0; c + 1 < width; ++c) {
            const uint32_t a = last + static_cast<uint32_t>(c);
            const Vector3 mid = (out.ceiling->positions[a] + apex) * 0.5f;
            addTriangle(*out.ceiling, a, a + 1, apexIndex, inside - mid);
        }
    }
}

void buildMasonryChamber(const ChamberOutline& outline, const ChamberStyle& style, const ChamberMeshes& out)
{
    const size_t n = outline.points.size();
    const float height = style.wallHeight;
    std::vector<Vector3> rim;      // floor outline with the doorway floor points
    std::vector<Vector3> ceiling;  // the same at the top, without them
    for (size_t i = 0; i < n; ++i) {
        const Vector3& a = outline.points[i];
        const Vector3& b = outline.points[(i + 1) % n];
        const Vector3 along = unit(b - a);
        const Vector3 inward = outwardOf(a, b, outline.centre) * -1.0f;
        rim.push_back(a);
        ceiling.push_back(a + up * height);
        if (outline.portal[i]) {
            addPortalPanel(*out.walls, a, b, height, inward, 1, 1);
            for (float x : portalFloorBreaks(lengthOf(b - a)))
                rim.push_back(a + along * x);
        } else {
            addFlatPolygon(*out.walls, {a, b, b + up * height, a + up * height}, inward);
        }
    }
    addFlatPolygon(*out.floor, rim, up);
    addFlatPolygon(*out.ceiling, ceiling, up * -1.0f);
}
