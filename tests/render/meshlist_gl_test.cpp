#include <gtest/gtest.h>

#include <vector>

#include "app/probe.h"
#include "assets/model3ds.h"
#include "assets/writers.h"
#include "render/meshlist.h"
#include "render/opengl.h"
#include "tests/support/test_support.h"

namespace {

// One vertex as GL feedback reports it (GL_4D_COLOR_TEXTURE).
struct FedVertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t, p, q;
};

class MeshListGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glMatrixMode(GL_PROJECTION);
        glOrtho(-4, 4, -4, 4, -4, 4);
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_DEPTH_TEST);
    }

    // Runs the list in feedback mode and returns its triangles' vertices.
    std::vector<FedVertex> feedback(GLuint list)
    {
        std::vector<GLfloat> buffer(1 << 16);
        glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_4D_COLOR_TEXTURE, buffer.data());
        glRenderMode(GL_FEEDBACK);
        glCallList(list);
        const GLint count = glRenderMode(GL_RENDER);
        std::vector<FedVertex> vertices;
        for (GLint i = 0; i < count; i += 2 + 3 * 12) {
            EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
            EXPECT_EQ(buffer[i + 1], 3.0f);
            const auto* triangle = reinterpret_cast<const FedVertex*>(&buffer[i + 2]);
            vertices.insert(vertices.end(), triangle, triangle + 3);
        }
        return vertices;
    }

    static Model3DS load(const std::vector<MeshObject>& objects)
    {
        const std::string bytes = write3ds(objects);
        Model3DS model;
        model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "m.3DS");
        return model;
    }

    static MeshObject triangle()
    {
        MeshObject object;
        object.name = "Tri";
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        object.texCoords = {{1, 0}, {0, 1}, {0.25f, 0.75f}};
        object.faces = {{0, 1, 2}};
        return object;
    }
};

// Window coordinates of a drawing-axis point under glOrtho(-4, 4, ...) in 256 x 256.
void expectAt(const FedVertex& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, (x / 4 + 1) * 128, 1e-3);
    EXPECT_NEAR(v.y, (y / 4 + 1) * 128, 1e-3);
    EXPECT_NEAR(v.z, (-z / 4 + 1) / 2, 1e-4);
}

}  // namespace

TEST_F(MeshListGl, CompilesDrawingAxesNormalsTangentsAndFourUnits)
{
    for (float scale : {1.0f, 2.0f}) {
        Model3DS model = load({triangle()});
        buildDisplayList(model, scale, true);
        ASSERT_TRUE(glIsList(model.displayList));
        const std::vector<FedVertex> vertices = feedback(model.displayList);
        ASSERT_EQ(vertices.size(), 3u);
        // File (x, y, z) drawn at (x, z, -y).
        expectAt(vertices[0], 0, 0, 0);
        expectAt(vertices[1], 1, 0, 0);
        expectAt(vertices[2], 0, 0, -1);
        // Normal (0, 0, 1) gives tangent (1, 0, 0), sent as colour (t.x, t.z, -t.y).
        for (const FedVertex& v : vertices)
            EXPECT_EQ(std::vector<float>({v.r, v.g, v.b}), std::vector<float>({1, 0, 0}));
        // Texture coordinates (u, -v) times the scale.
        EXPECT_EQ(std::vector<float>({vertices[0].s, vertices[1].t, vertices[2].s, vertices[2].t}),
                  std::vector<float>({scale, -scale, 0.25f * scale, -0.75f * scale}));
        glDeleteLists(model.displayList, 1);
    }
    // The list leaves the last vertex's coordinates current on units 0 to 3.
    for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit) {
        multitexture.glActiveTexture(unit);
        GLfloat coords[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
        EXPECT_FLOAT_EQ(coords[1], -1.5f) << "unit " << unit - GL_TEXTURE0;
    }
    multitexture.glActiveTexture(GL_TEXTURE0);

    // Without tangents no colour is compiled.
    Model3DS plain = load({triangle()});
    buildDisplayList(plain, 1.0f, false);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    for (const FedVertex& v : feedback(plain.displayList))
        EXPECT_EQ(std::vector<float>({v.r, v.g, v.b}), std::vector<float>({0.25f, 0.5f, 0.75f}));
    glDeleteLists(plain.displayList, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshListGl, EmptyModelsMissingCoordinatesAndBadFaces)
{
    BoxRecorder boxes;
    Model3DS missing;
    missing.load("/nonexistent/None.3DS");
    buildDisplayList(missing, 1.0f, true);
    EXPECT_TRUE(glIsList(missing.displayList));
    EXPECT_TRUE(feedback(missing.displayList).empty());
    glDeleteLists(missing.displayList, 1);

    // One object without any texture coordinates, one with fewer than its
    // vertices, and a face naming a vertex that does not exist.
    MeshObject bare = triangle();
    bare.texCoords.clear();
    bare.faces = {{0, 1, 2}, {0, 1, 3}};
    MeshObject fewer = triangle();
    fewer.texCoords = {{0.5f, 0.5f}};
    Model3DS model = load({bare, fewer});
    ASSERT_EQ(model.objectCount, 2);
    buildDisplayList(model, 1.0f, true);
    const std::vector<FedVertex> vertices = feedback(model.displayList);
    ASSERT_EQ(vertices.size(), 6u);
    std::vector<float> coords;
    for (const FedVertex& v : vertices)
        coords.insert(coords.end(), {v.s, v.t});
    EXPECT_EQ(coords, (std::vector<float>{0, 0, 0, 0, 0, 0, 0.5f, -0.5f, 0, 0, 0, 0}));
    expectAt(vertices[5], 0, 0, -1);
    glDeleteLists(model.displayList, 1);
}
