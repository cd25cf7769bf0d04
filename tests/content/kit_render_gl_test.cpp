// Draws the generated level kit and props under Mesa and checks what a player
// and the menu camera see: from inside, every piece is a closed shell whose
// faces all point inwards; from high above, the ceilings are culled and the
// floors show. Pictures of every piece with its material are left in the
// build's content-shots folder for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/probe.h"
#include "assets/model3ds.h"
#include "render/meshlist.h"
#include "assets/writers.h"
#include "render/material.h"
#include "render/opengl.h"
#include "render/shader.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr int shotWidth = 512;
constexpr int shotHeight = 384;

class KitRender : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        ASSERT_TRUE(ensureGlContext(shotWidth, shotHeight));
        cwd = std::make_unique<ScopedWorkingDirectory>(gameDir());
        probeGlCapabilities();
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
    void TearDown() override { cwd.reset(); }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

void lookFrom(const Vector3& eye, const Vector3& at, const Vector3& up, double fov, int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, static_cast<double>(width) / height, 0.1, 25000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, at.x, at.y, at.z, up.x, up.y, up.z);
}

// Draws the list flat with its vertex colours (the tangents), culled or not.
std::vector<uint8_t> drawFlat(unsigned list, bool cull, int size)
{
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (cull) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
    } else {
        glDisable(GL_CULL_FACE);
    }
    glCallList(list);
    glDisable(GL_CULL_FACE);
    glFinish();
    return readPixelsRgb(0, 0, size, size);
}

void saveShot(const std::string& name)
{
    const std::vector<uint8_t> pixels = readPixelsRgb(0, 0, shotWidth, shotHeight);
    saveFile(content::shotDir() + "/" + name + ".bmp", writeBmp24(shotWidth, shotHeight, pixels));
}

// Points inside each piece, at eye height above the local floor.
struct Probe {
    const char* kind;
    std::vector<Vector3> eyes;
};

const std::vector<Probe>& interiorPoints()
{
    static const std::vector<Probe> probes = {
        {"CorridorDown", {{-85, 35, 0}, {0, 5, 0}, {85, -25, 0}}},
        {"CorridorTurning", {{-70, 35, 0}, {-10, 35, 10}, {0, 35, 70}}},
        {"CorridorEnd", {{-70, 35, 0}, {15, 30, 0}}},
        {"CorridorStraight", {{-70, 35, 0}, {0, 35, 0}, {70, 35, 0}}},
        {"CrossroadT", {{0, 35, 0}, {-75, 35, 0}, {0, 35, 75}, {75, 35, 0}}},
        {"CrossroadAll", {{0, 35, 0}, {-75, 35, 0}, {0, 35, -75}}},
        {"Room01", {{45, 40, 0}, {-70, 40, -70}, {-90, 35, 0}}},
        {"Room02", {{0, 40, 0}, {-60, 40, 0}, {30, 60, 30}}},
        {"Room03", {{0, 40, 20}, {-60, 40, 60}, {0, 35, 90}}},
        {"Room04", {{0, 40, 0}, {-80, 35, 0}, {0, 35, 80}}},
        {"Room05", {{0, 40, 0}, {-50, 40, 50}, {40, 100, -20}}},
    };
    return probes;
}

}  // namespace

TEST_F(KitRender, EveryPieceIsAShellFacingInwards)
{
    constexpr int size = 256;
    const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}};
    for (const Probe& probe : interiorPoints()) {
        const content::KitFile* file = nullptr;
        for (const content::KitFile& f : content::kitFiles())
            if (std::string(f.kind) == probe.kind)
                file = &f;
        ASSERT_NE(file, nullptr);
        BoxRecorder boxes;
        Model3DS model;
        model.load(file->model);
        ASSERT_TRUE(boxes.boxes().empty()) << file->model;
        buildDisplayList(model, 1.0f, true);
        for (const Vector3& eye : probe.eyes) {
            for (const Vector3& d : directions) {
                const Vector3 up = std::fabs(d.y) > 0.5f ? Vector3(0, 0, 1) : Vector3(0, 1, 0);
                lookFrom(eye, eye + d, up, 92.0, size, size);
                const std::vector<uint8_t> culled = drawFlat(model.displayList, true, size);
                const std::vector<uint8_t> open = drawFlat(model.displayList, false, size);
                int differing = 0;
                for (size_t i = 0; i < culled.size(); i += 3)
                    if (culled[i] != open[i] || culled[i + 1] != open[i + 1] || culled[i + 2] != open[i + 2])
                        ++differing;
                if (differing > 12) {
                    // Leave both pictures, with the differing pixels marked, for a look.
                    std::vector<uint8_t> marked = culled;
                    for (size_t i = 0; i < culled.size(); i += 3)
                        if (culled[i] != open[i] || culled[i + 1] != open[i + 1] || culled[i + 2] != open[i + 2]) {
                            marked[i] = 0;
                            marked[i + 1] = 255;
                            marked[i + 2] = 0;
                        }
                    const std::string name = content::shotDir() + "/inward_" + probe.kind + "_" +
                                             std::to_string(static_cast<int>(eye.x)) + "_" +
                                             std::to_string(static_cast<int>(eye.z)) + "_" +
                                             std::to_string(static_cast<int>(d.x + 1)) +
                                             std::to_string(static_cast<int>(d.y + 1)) +
                                             std::to_string(static_cast<int>(d.z + 1));
                    saveFile(name + ".bmp", writeBmp24(size, size, marked));
                }
                // A face turned the wrong way shows as a patch; single pixels
                // differ where hidden faces touch a wall edge-on (depth ties).
                EXPECT_LE(differing, 12) << probe.kind << " from (" << eye.x << ", " << eye.y << ", " << eye.z
                                        << ") towards (" << d.x << ", " << d.y << ", " << d.z
                                        << "): a face turns its back to the inside";
            }
        }
        glDeleteLists(model.displayList, 1);
    }
}

TEST_F(KitRender, FromHighAboveTheFloorsShowAndTheCeilingsAreCulled)
{
    // Lit from straight above, an upward floor is bright and a downward
    // ceiling would be black.
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    const GLfloat white[4] = {1, 1, 1, 1}, black[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    for (const content::KitFile& file : content::kitFiles()) {
        Model3DS model;
        model.load(file.model);
        buildDisplayList(model, 1.0f, false);
        lookFrom({0, 900, 1}, {0, 0, 0}, {0, 1, 0}, 20.0, 64, 64);
        const GLfloat down[4] = {0, 1, 0, 0};
        glLightfv(GL_LIGHT0, GL_POSITION, down);
        const std::vector<uint8_t> pixels = drawFlat(model.displayList, true, 64);
        // The centre of every piece is floor (no piece has a pillar there).
        const size_t centre = 3 * (32 * 64 + 32);
        EXPECT_GT(pixels[centre], 200) << file.kind;
        EXPECT_EQ(pixels[centre + 1], pixels[centre]) << file.kind << ": not a lit surface";
        glDeleteLists(model.displayList, 1);
    }
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
}

TEST_F(KitRender, PiecesAndPropsWithTheirMaterials)
{
    ASSERT_TRUE(initShaderExtensions());
    struct Shot {
        const char* name;
        const char* model;
        const char* material;
        Vector3 eye, at, light;
    };
    const std::vector<Shot> shots = {
        {"corridor_straight", "Data/Models/Level/CorridorStraight.3DS", "Data/underground.plemoxmat", {-90, 35, -10}, {60, 25, 15}, {0, 55, 30}},
        {"corridor_turning", "Data/Models/Level/CorridorTurning.3DS", "Data/mat01.plemoxmat", {-90, 35, 0}, {0, 25, 40}, {-40, 55, 30}},
        {"corridor_end", "Data/Models/Level/CorridorEnd.3DS", "Data/mat03.plemoxmat", {-90, 35, 0}, {40, 20, 0}, {0, 55, 30}},
        {"corridor_down", "Data/Models/Level/CorridorDown.3DS", "Data/underground.plemoxmat", {-90, 40, 0}, {60, -40, 0}, {0, 20, 30}},
        {"crossroad_t", "Data/Models/Level/CrossroadT.3DS", "Data/mat01.plemoxmat", {-80, 40, -10}, {40, 30, 30}, {0, 70, 0}},
        {"crossroad_all", "Data/Models/Level/Crossroad.3DS", "Data/underground.plemoxmat", {0, 40, 85}, {0, 40, -40}, {0, 70, 0}},
        {"room01", "Data/Models/Level/Room01.3DS", "Data/mat02.plemoxmat", {-90, 40, 0}, {40, 35, 30}, {0, 70, 0}},
        {"room02", "Data/Models/Level/Room02.3DS", "Data/mat03.plemoxmat", {-90, 40, 0}, {40, 50, 0}, {0, 60, 0}},
        {"room03", "Data/Models/Level/Room03.3DS", "Data/mat06.plemoxmat", {-90, 40, 30}, {40, 35, -40}, {0, 60, 0}},
        {"room04", "Data/Models/Level/Room04.3DS", "Data/mat06.plemoxmat", {0, 40, 90}, {0, 30, -40}, {0, 60, 0}},
        {"room05", "Data/Models/Level/Room05.3DS", "Data/mat01.plemoxmat", {-90, 40, 0}, {40, 70, -10}, {0, 90, 0}},
        {"room05_above", "Data/Models/Level/Room05.3DS", "Data/mat01.plemoxmat", {0, 400, 250}, {0, 0, 0}, {0, 90, 0}},
        {"crossroad_above", "Data/Models/Level/Crossroad.3DS", "Data/underground.plemoxmat", {0, 400, 250}, {0, 0, 0}, {0, 70, 0}},
        {"prop_campfire", "Data/Models/Static/Campfire.3DS", "Data/mat07.plemoxmat", {0, 25, 60}, {0, -5, 0}, {0, 40, 30}},
        {"prop_torch", "Data/Models/Static/Torch.3DS", "Data/mat04.plemoxmat", {35, 20, 35}, {5, 8, 0}, {25, 30, 20}},
        {"prop_crate", "Data/Models/Static/Crate.3DS", "Data/mat04.plemoxmat", {40, 45, 55}, {0, 12, 0}, {30, 60, 40}},
        {"prop_pile", "Data/Models/Static/Pile.3DS", "Data/mat05.plemoxmat", {40, 30, 50}, {0, -5, 0}, {30, 50, 40}},
        {"prop_table", "Data/Models/Static/Table.3DS", "Data/mat04.plemoxmat", {50, 55, 70}, {0, 15, 0}, {30, 70, 40}},
        {"prop_chair", "Data/Models/Static/Chair.3DS", "Data/mat04.plemoxmat", {35, 40, 50}, {0, 18, 0}, {30, 60, 40}},
        {"prop_fence", "Data/Models/Static/Fence.3DS", "Data/mat04.plemoxmat", {20, 35, 80}, {0, 20, 0}, {30, 60, 40}},
        {"prop_stone", "Data/Models/Static/Stone.3DS", "Data/mat03.plemoxmat", {40, 35, 50}, {0, 8, 0}, {30, 60, 40}},
        {"prop_stalagmit", "Data/Models/Static/Stalagmit.3DS", "Data/underground.plemoxmat", {40, 35, 50}, {0, 18, 0}, {30, 60, 40}},
        {"prop_stalagtit", "Data/Models/Static/Stalagtit.3DS", "Data/underground.plemoxmat", {40, -30, 50}, {0, -22, 0}, {30, 10, 40}},
        {"prop_stalagnat", "Data/Models/Static/Stalagnat.3DS", "Data/mat01.plemoxmat", {100, 60, 120}, {0, 60, 0}, {60, 80, 60}},
        {"prop_rope", "Data/Models/Static/Rope.3DS", "Data/mat04.plemoxmat", {30, -30, 40}, {0, -35, 0}, {20, 0, 30}},
        {"prop_bottle", "Data/Models/Gorvik.3DS", "Data/mat08.plemoxmat", {12, 12, 18}, {0, 7, 0}, {15, 25, 20}},
    };
    for (const Shot& shot : shots) {
        BoxRecorder boxes;
        Model3DS model;
        model.load(shot.model);
        Material material;
        material.load(shot.material);
        EXPECT_TRUE(boxes.boxes().empty()) << shot.name;
        EXPECT_NE(material.diffuseTexture, 0u) << shot.material;
        EXPECT_NE(material.normalTexture, 0u) << shot.material;
        EXPECT_NE(material.heightTexture, 0u) << shot.material;
        EXPECT_NE(material.specularTexture, 0u) << shot.material;
        buildDisplayList(model, 1.0f, true);
        lookFrom(shot.eye, shot.at, {0, 1, 0}, 60.0, shotWidth, shotHeight);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        Camera camera;
        camera.position = shot.eye;
        camera.view = shot.at;
        camera.up = {0, 1, 0};
        material.bind(shot.light, camera);
        glCallList(model.displayList);
        material.unbind();
        glDisable(GL_CULL_FACE);
        glFinish();
        saveShot(shot.name);
        // Something lit must show: the brightest pixel is well above black.
        const std::vector<uint8_t> pixels = readPixelsRgb(0, 0, shotWidth, shotHeight);
        int brightest = 0;
        for (uint8_t p : pixels)
            brightest = std::max(brightest, static_cast<int>(p));
        EXPECT_GT(brightest, 60) << shot.name;
        glDeleteLists(model.displayList, 1);
        material.release();
    }
    multitexture.glActiveTexture(GL_TEXTURE0);
}
