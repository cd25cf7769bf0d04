// Reads the generated models and materials of the shipped Data tree with the
// game's own loaders: no message box, and the sizes the game expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "assets/model3ds.h"
#include "assets/rgbe.h"
#include "render/material.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace {

class ShippedData : public content::GameDataTest {
protected:
    BoxRecorder boxes;
};

// Loads a model, checks it is well formed, returns its bounds (drawing axes).
void checkModel(const std::string& file, Vector3& low, Vector3& high)
{
    SCOPED_TRACE(file);
    Model3DS model;
    model.load(file);
    ASSERT_GE(model.objectCount, 1);
    EXPECT_LE(model.objectCount, 8);
    low = {1e9f, 1e9f, 1e9f};
    high = {-1e9f, -1e9f, -1e9f};
    for (const Object3DS& object : model.objects) {
        EXPECT_GT(object.faceCount, 0) << object.name;
        EXPECT_EQ(object.texCoordCount, object.vertexCount) << object.name;
        for (const Face3DS& face : object.faces)
            for (uint32_t k : {face.a, face.b, face.c}) {
                ASSERT_LT(k, static_cast<uint32_t>(object.vertexCount)) << object.name;
                const Vector3 &n = object.normals[k], &v = object.vertices[k];
                EXPECT_TRUE(std::isfinite(n.x) && std::isfinite(n.y) && std::isfinite(n.z)) << object.name;
                low = {std::min(low.x, v.x), std::min(low.y, v.z), std::min(low.z, -v.y)};
                high = {std::max(high.x, v.x), std::max(high.y, v.z), std::max(high.z, -v.y)};
            }
    }
}

}  // namespace

TEST_F(ShippedData, ModelsLoadCleanlyAndHaveTheirSizes)
{
    // Every kind's models well formed; level pieces, drawn and collision
    // models: one 200-unit cell, the doorway skirts reaching 12 beyond it,
    // floor at 0 (the slope's foot 60 lower, skirts 2 below).
    for (int i = 0; i < pieceKindCount; ++i) {
        const PieceKind& kind = pieceKinds[i];
        const bool slope = std::string(kind.keyword) == "CorridorDown";
        for (const char* name : {kind.modelFile, kind.collisionModelFile}) {
            Vector3 low, high;
            if (!name)
                continue;
            checkModel(name, low, high);
            if (!kind.collisionModelFile)
                continue;
            EXPECT_TRUE(low.x >= -113 && high.x <= 113 && low.z >= -113 && high.z <= 113) << name;
            // The collision hulls stand a few units inside the drawn floor.
            const float inset = name == kind.collisionModelFile ? 5.0f : 0.0f;
            EXPECT_GE(low.y, slope ? -62.5f : -2.5f) << name;
            EXPECT_LE(low.y, (slope ? -59.0f : 0.5f) + inset) << name;
            EXPECT_GE(high.y, 78.0f) << name;
        }
    }
    EXPECT_TRUE(boxes.boxes().empty()) << boxes.texts().front();
}

TEST_F(ShippedData, MaterialFilesNameTheirFourMapsAndTheMapsAreSound)
{
    for (int slot = 0; slot <= 8; ++slot) {
        const std::string file =
            slot ? "Data/mat0" + std::to_string(slot) + ".plemoxmat" : std::string("Data/underground.plemoxmat");
        SCOPED_TRACE(file);
        Material material;
        ASSERT_TRUE(readMaterialFile(file, material));
        EXPECT_TRUE(material.shading == 0 || material.shading == 1);
        EXPECT_TRUE(material.shininess > 0 && material.tiling > 0 && material.parallaxSizeX > 0);
        EXPECT_LT(material.parallaxOffset, 0.0f);
        EXPECT_GT(std::strlen(material.name), 0u);
        const char* maps[4] = {material.diffuseMapPath, material.normalMapPath, material.heightMapPath,
                               material.specularMapPath};
        for (int m = 0; m < 4; ++m) {
            SCOPED_TRACE(maps[m]);
            RgbeImage image;
            ASSERT_TRUE(loadRgbeFile(maps[m], image));
            EXPECT_TRUE(image.width > 0 && (image.width & (image.width - 1)) == 0 && image.width == image.height);
            ASSERT_EQ(image.pixels.size(), static_cast<size_t>(image.width) * image.height * 3);
            const auto [low, high] = std::minmax_element(image.pixels.begin(), image.pixels.end());
            // Uploaded clamped to 0..1: the maps stay inside, and are not flat.
            EXPECT_TRUE(*low >= 0.0f && *high <= 1.0f && *high - *low > 0.05f) << *low << " to " << *high;
            // Tangent-space normals, decoded as the shaders do: facing out of
            // the surface, or straight into it where a flame is lit by the
            // light inside it. Only the fire atlas has that, in its flame
            // quarter.
            size_t badNormals = 0, inward = 0;
            for (size_t i = 0; m == 1 && i < image.pixels.size(); i += 3) {
                const float x = image.pixels[i] * 2 - 1, y = image.pixels[i + 1] * 2 - 1, z = image.pixels[i + 2] * 2 - 1;
                inward += z < -0.95f;
                badNormals += std::fabs(std::sqrt(x * x + y * y + z * z) - 1.0f) > 0.05f || (z <= 0.2f && z >= -0.95f);
            }
            EXPECT_EQ(badNormals, 0u);
            EXPECT_EQ(inward, m == 1 && slot == 7 ? image.pixels.size() / 12 : 0u);
        }
    }
}
