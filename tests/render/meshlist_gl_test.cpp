#include <gtest/gtest.h>

#include <vector>

#include "app/probe.h"
#include "assets/model3ds.h"
#include "render/meshlist.h"
#include "assets/writers.h"
#include "render/opengl.h"
#include "tests/support/test_support.h"

namespace {

// One vertex as GL feedback reports it (GL_4D_COLOR_TEXTURE).
struct FedVertex {
    float x, y, z, w;
    float r, g, b, a;
    float s, t, p, q;
};

class MeshListGl : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!ensureGlContext(256, 256))
            GTEST_SKIP() << "no display";
        probeGlCapabilities();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -4, 4, -4, 4);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_CULL_FACE);
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
        for (GLint i = 0; i < count;) {
            EXPECT_EQ(buffer[i], static_cast<GLfloat>(GL_POLYGON_TOKEN));
            const int n = static_cast<int>(buffer[i + 1]);
            EXPECT_EQ(n, 3);
            i += 2;
            for (int k = 0; k < n; ++k, i += 12) {
                FedVertex v;
                std::copy(&buffer[i], &buffer[i] + 12, &v.x);
                vertices.push_back(v);
            }
        }
        return vertices;
    }

    static Model3DS triangleModel()
    {
        MeshObject object;
        object.name = "Tri";
        object.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
        object.texCoords = {{1, 0}, {0, 1}, {0.25f, 0.75f}};
        object.faces = {{0, 1, 2}};
        const std::string bytes = write3ds({object});
        Model3DS model;
        model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "tri.3DS");
        return model;
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
    Model3DS model = triangleModel();
    buildDisplayList(model, 1.0f, true);
    ASSERT_NE(model.displayList, 0u);
    EXPECT_TRUE(glIsList(model.displayList));
    const std::vector<FedVertex> vertices = feedback(model.displayList);
    ASSERT_EQ(vertices.size(), 3u);
    // File (x, y, z) drawn at (x, z, -y).
    expectAt(vertices[0], 0, 0, 0);
    expectAt(vertices[1], 1, 0, 0);
    expectAt(vertices[2], 0, 0, -1);
    // Normal (0, 0, 1) gives tangent (1, 0, 0), sent as colour (t.x, t.z, -t.y).
    for (const FedVertex& v : vertices) {
        EXPECT_FLOAT_EQ(v.r, 1.0f);
        EXPECT_FLOAT_EQ(v.g, 0.0f);
        EXPECT_FLOAT_EQ(v.b, 0.0f);
    }
    // Texture coordinates (u, -v).
    EXPECT_FLOAT_EQ(vertices[0].s, 1.0f);
    EXPECT_FLOAT_EQ(vertices[0].t, 0.0f);
    EXPECT_FLOAT_EQ(vertices[1].t, -1.0f);
    EXPECT_FLOAT_EQ(vertices[2].s, 0.25f);
    EXPECT_FLOAT_EQ(vertices[2].t, -0.75f);

    // The list leaves the last vertex's values current: the drawing normal
    // (0, 1, 0) and (0.25, -0.75) on units 0 to 3.
    GLfloat normal[3];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    EXPECT_FLOAT_EQ(normal[0], 0.0f);
    EXPECT_FLOAT_EQ(normal[1], 1.0f);
    EXPECT_FLOAT_EQ(normal[2], 0.0f);
    for (GLenum unit = GL_TEXTURE0; unit <= GL_TEXTURE3; ++unit) {
        multitexture.glActiveTexture(unit);
        GLfloat coords[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
        EXPECT_FLOAT_EQ(coords[0], 0.25f) << "unit " << unit - GL_TEXTURE0;
        EXPECT_FLOAT_EQ(coords[1], -0.75f) << "unit " << unit - GL_TEXTURE0;
    }
    multitexture.glActiveTexture(GL_TEXTURE0);
    glDeleteLists(model.displayList, 1);

    // The texture scale multiplies both coordinates.
    Model3DS scaled = triangleModel();
    buildDisplayList(scaled, 2.0f, true);
    const std::vector<FedVertex> doubled = feedback(scaled.displayList);
    ASSERT_EQ(doubled.size(), 3u);
    EXPECT_FLOAT_EQ(doubled[2].s, 0.5f);
    EXPECT_FLOAT_EQ(doubled[2].t, -1.5f);
    glDeleteLists(scaled.displayList, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(MeshListGl, WithoutTangentsNoColourIsCompiled)
{
    Model3DS model = triangleModel();
    buildDisplayList(model, 1.0f, false);
    glColor4f(0.25f, 0.5f, 0.75f, 1.0f);
    const std::vector<FedVertex> vertices = feedback(model.displayList);
    ASSERT_EQ(vertices.size(), 3u);
    for (const FedVertex& v : vertices) {
        EXPECT_FLOAT_EQ(v.r, 0.25f);
        EXPECT_FLOAT_EQ(v.g, 0.5f);
        EXPECT_FLOAT_EQ(v.b, 0.75f);
    }
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.25f);
    glDeleteLists(model.displayList, 1);
}

TEST_F(MeshListGl, EmptyModelsMissingCoordinatesAndBadFaces)
{
    {
        BoxRecorder boxes;
        Model3DS missing;
        missing.load("/nonexistent/None.3DS");
        buildDisplayList(missing, 1.0f, true);
        EXPECT_NE(missing.displayList, 0u);
        EXPECT_TRUE(glIsList(missing.displayList));
        EXPECT_TRUE(feedback(missing.displayList).empty());
        missing.computeObjectBoxes(2.5f);
        EXPECT_TRUE(missing.boxes.empty());
        glDeleteLists(missing.displayList, 1);
    }

    // One object without any texture coordinates, one with fewer than its
    // vertices, and a face naming a vertex that does not exist.
    MeshObject bare;
    bare.name = "Bare";
    bare.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    bare.faces = {{0, 1, 2}, {0, 1, 3}};
    MeshObject fewer = bare;
    fewer.name = "Fewer";
    fewer.texCoords = {{0.5f, 0.5f}};
    fewer.faces = {{0, 1, 2}};
    const std::string bytes = write3ds({bare, fewer});
    Model3DS model;
    model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "m.3DS");
    ASSERT_EQ(model.objectCount, 2);
    buildDisplayList(model, 1.0f, true);
    const std::vector<FedVertex> vertices = feedback(model.displayList);
    ASSERT_EQ(vertices.size(), 6u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FLOAT_EQ(vertices[i].s, 0.0f);
        EXPECT_FLOAT_EQ(vertices[i].t, 0.0f);
    }
    EXPECT_FLOAT_EQ(vertices[3].s, 0.5f);
    EXPECT_FLOAT_EQ(vertices[3].t, -0.5f);
    EXPECT_FLOAT_EQ(vertices[4].s, 0.0f);
    EXPECT_FLOAT_EQ(vertices[5].t, 0.0f);
    expectAt(vertices[5], 0, 0, -1);
    glDeleteLists(model.displayList, 1);
}

TEST_F(MeshListGl, DrawnListCoversItsPixels)
{
    // A quad in the drawing plane y = 0 seen from above fills the middle of
    // the window in the tangent colour.
    MeshObject quad;
    quad.name = "Quad";
    quad.vertices = {{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}, {-2, 2, 0}};
    quad.faces = {{0, 1, 2}, {0, 2, 3}};
    const std::string bytes = write3ds({quad});
    Model3DS model;
    model.loadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), "q.3DS");
    buildDisplayList(model, 1.0f, true);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glLoadIdentity();
    glRotatef(90, 1, 0, 0);  // look down the drawing y axis
    glCallList(model.displayList);
    glFinish();
    const std::vector<uint8_t> centre = readPixelsRgb(128, 128, 1, 1);
    const std::vector<uint8_t> corner = readPixelsRgb(5, 5, 1, 1);
    EXPECT_EQ(centre[0], 255);
    EXPECT_EQ(centre[1], 0);
    EXPECT_EQ(corner[0], 0);
    glLoadIdentity();
    glDeleteLists(model.displayList, 1);
}
