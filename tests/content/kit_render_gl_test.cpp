// Draws the generated level kit under Mesa from inside each piece: every piece
// is a closed shell whose faces all point inwards, so culling back faces
// changes nothing a player can see. A failing view leaves its picture, the
// differing pixels marked, in the build's content-shots folder.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "assets/model3ds.h"
#include "assets/writers.h"
#include "render/meshlist.h"
#include "render/opengl.h"
#include "tests/content/content_support.h"
#include "tests/support/test_support.h"

namespace {

constexpr int size = 256;

class KitRender : public GlTest {
protected:
    KitRender() : GlTest(size, size) {}
    void SetUp() override
    {
        if (!content::contentBuilt())
            GTEST_SKIP() << "the build makes no game data (PLEMOX_CONTENT is off)";
        GlTest::SetUp();
        cwd = std::make_unique<ScopedWorkingDirectory>(gameDir());
    }
    void TearDown() override { cwd.reset(); }

    std::unique_ptr<ScopedWorkingDirectory> cwd;
};

// Draws the list flat with its vertex colours (the tangents), culled or not.
std::vector<uint8_t> drawFlat(unsigned list, bool cull)
{
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (cull)
        glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glCallList(list);
    glDisable(GL_CULL_FACE);
    return readPixelsRgb(0, 0, size, size);
}

}  // namespace

TEST_F(KitRender, EveryPieceIsAShellFacingInwards)
{
    // Points inside each piece, at eye height above the local floor.
    const std::vector<std::pair<const char*, std::vector<Vector3>>> probes = {
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
    const Vector3 directions[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 0, 1}, {0, 0, -1}, {0, 1, 0}, {0, -1, 0}};
    ASSERT_EQ(content::kitFiles().size(), probes.size());
    for (const auto& [kind, eyes] : probes) {
        const PieceKind* piece = findPieceKind(kind);
        ASSERT_NE(piece, nullptr) << kind;
        BoxRecorder boxes;
        Model3DS model;
        model.load(piece->modelFile);
        ASSERT_TRUE(boxes.boxes().empty()) << piece->modelFile;
        buildDisplayList(model, 1.0f, true);
        for (const Vector3& eye : eyes) {
            for (const Vector3& d : directions) {
                const Vector3 up = std::fabs(d.y) > 0.5f ? Vector3(0, 0, 1) : Vector3(0, 1, 0);
                glMatrixMode(GL_PROJECTION);
                glLoadIdentity();
                gluPerspective(92.0, 1.0, 0.1, 25000.0);
                glMatrixMode(GL_MODELVIEW);
                glLoadIdentity();
                gluLookAt(eye.x, eye.y, eye.z, eye.x + d.x, eye.y + d.y, eye.z + d.z, up.x, up.y, up.z);
                const std::vector<uint8_t> culled = drawFlat(model.displayList, true);
                std::vector<uint8_t> marked = drawFlat(model.displayList, false);
                int differing = 0;
                for (size_t i = 0; i < culled.size(); i += 3)
                    if (culled[i] != marked[i] || culled[i + 1] != marked[i + 1] || culled[i + 2] != marked[i + 2]) {
                        ++differing;
                        marked[i] = 0;
                        marked[i + 1] = 255;
                        marked[i + 2] = 0;
                    }
                // A face turned the wrong way shows as a patch; single pixels
                // differ where hidden faces touch a wall edge-on (depth ties).
                EXPECT_LE(differing, 12) << kind << " from (" << eye.x << ", " << eye.y << ", " << eye.z
                                         << ") towards (" << d.x << ", " << d.y << ", " << d.z
                                         << "): a face turns its back to the inside";
                if (differing > 12)
                    saveFile(content::shotDir() + "/inward_" + kind + "_" + std::to_string(int(eye.x)) + "_" +
                                 std::to_string(int(eye.z)) + "_" + std::to_string(int(d.x + 1)) +
                                 std::to_string(int(d.y + 1)) + std::to_string(int(d.z + 1)) + ".bmp",
                             writeBmp24(size, size, marked));
            }
        }
        glDeleteLists(model.displayList, 1);
    }
}
