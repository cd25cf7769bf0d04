// Loads a generated 3DS model of about 50,000 triangles and prints how long
// the load takes with the linear normal computation the loader uses, next to
// the same load with the quadratic method that compares every vertex with
// every face. Both must give the same normals to the bit.
//
// Usage: normals_bench [grid side in vertices, default 159 (49,928 triangles)]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/model3ds.h"
#include "assets/writers.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A rolling height field: side x side vertices, two triangles per cell.
std::string makeTerrain(int side)
{
    MeshObject object;
    object.name = "Terrain";
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const float height = 3.0f * std::sin(x * 0.21f) * std::cos(y * 0.17f) + 0.5f * std::sin(x * y * 0.01f);
            object.vertices.emplace_back(static_cast<float>(x), static_cast<float>(y), height);
            object.texCoords.push_back({x / static_cast<float>(side - 1), y / static_cast<float>(side - 1)});
        }
    }
    for (int y = 0; y + 1 < side; ++y) {
        for (int x = 0; x + 1 < side; ++x) {
            const uint32_t i = static_cast<uint32_t>(y * side + x);
            object.faces.push_back({i, i + 1, i + static_cast<uint32_t>(side) + 1});
            object.faces.push_back({i, i + static_cast<uint32_t>(side) + 1, i + static_cast<uint32_t>(side)});
        }
    }
    return write3ds({object});
}

}  // namespace

int main(int argc, char** argv)
{
    const int side = argc > 1 ? std::atoi(argv[1]) : 159;
    if (side < 2 || side > 182) {
        std::fprintf(stderr, "grid side must be 2..182 (16-bit vertex and face counts)\n");
        return 2;
    }
    const std::string bytes = makeTerrain(side);
    const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());

    // The loader as the game runs it, best of three.
    double linearLoad = 1e300;
    Model3DS model;
    for (int run = 0; run < 3; ++run) {
        Model3DS fresh;
        const Clock::time_point start = Clock::now();
        fresh.loadFromMemory(data, bytes.size(), "terrain.3DS");
        linearLoad = std::min(linearLoad, millisecondsSince(start));
        model = std::move(fresh);
    }
    Object3DS& object = model.objects.at(0);

    // The normal step alone, both ways.
    Object3DS linear = object;
    Clock::time_point start = Clock::now();
    computeNormals(linear);
    const double linearNormals = millisecondsSince(start);

    Object3DS quadratic = object;
    start = Clock::now();
    computeNormalsReference(quadratic);
    const double quadraticNormals = millisecondsSince(start);

    const bool identical = linear.normals.size() == quadratic.normals.size() &&
                           std::memcmp(linear.normals.data(), quadratic.normals.data(),
                                       linear.normals.size() * sizeof(Vector3)) == 0;
    const double quadraticLoad = linearLoad - linearNormals + quadraticNormals;

    std::printf("model: %d vertices, %d triangles, %zu bytes\n", object.vertexCount, object.faceCount, bytes.size());
    std::printf("load with linear normals:    %10.2f ms (normals %.2f ms)\n", linearLoad, linearNormals);
    std::printf("load with quadratic normals: %10.2f ms (normals %.2f ms)\n", quadraticLoad, quadraticNormals);
    std::printf("speed-up of the normal step: %.0fx\n", quadraticNormals / std::max(linearNormals, 1e-6));
    std::printf("normals identical to the bit: %s\n", identical ? "yes" : "NO");
    return identical ? 0 : 1;
}
