#include "render/occlusion.h"

#include "core/text.h"
#include "platform/platform.h"
#include "render/meshlist.h"
#include "render/opengl.h"

namespace {

// How the driver answers the occlusion question; decided at the first test.
enum class OcclusionMethod { Undecided, HpTest, ArbQuery, None };

// The occlusion test's process-wide state: the method, the ARB entry points,
// the query of single tests and one query per model of a batch (made as
// needed, kept for the next batch).
struct OcclusionState {
    OcclusionMethod method = OcclusionMethod::Undecided;
    OcclusionQueryEntryPoints entry;
    GLuint query = 0;
    std::vector<GLuint> batch;
};

OcclusionState occlusion;

// The HP test where offered, else the ARB query with its entry points and
// one query object; without either every model counts as visible.
void decideOcclusionMethod()
{
    if (occlusion.method != OcclusionMethod::Undecided)
        return;
    const char* extensions = glExtensionString();
    if (extensionListed(extensions, "GL_HP_occlusion_test")) {
        occlusion.method = OcclusionMethod::HpTest;
        return;
    }
    occlusion.method = OcclusionMethod::None;
    if (!extensionListed(extensions, "GL_ARB_occlusion_query"))
        return;
    if (!fetchEntryPoints(occlusion.entry, getGlProcAddress)) {
        clearEntryPoints(occlusion.entry);
        return;
    }
    occlusion.entry.glGenQueriesARB(1, &occlusion.query);
    occlusion.method = OcclusionMethod::ArbQuery;
}

// The twelve edges of a box: the maximum-y face, the four verticals, the
// minimum-y face.
void drawBoxEdges(const ObjectBox& b)
{
    glBegin(GL_LINES);
    glVertex3f(b.maxX, b.maxY, b.maxZ); glVertex3f(b.minX, b.maxY, b.maxZ);
    glVertex3f(b.minX, b.maxY, b.maxZ); glVertex3f(b.minX, b.maxY, b.minZ);
    glVertex3f(b.minX, b.maxY, b.minZ); glVertex3f(b.maxX, b.maxY, b.minZ);
    glVertex3f(b.maxX, b.maxY, b.minZ); glVertex3f(b.maxX, b.maxY, b.maxZ);

    glVertex3f(b.maxX, b.maxY, b.maxZ); glVertex3f(b.maxX, b.minY, b.maxZ);
    glVertex3f(b.minX, b.maxY, b.maxZ); glVertex3f(b.minX, b.minY, b.maxZ);
    glVertex3f(b.minX, b.maxY, b.minZ); glVertex3f(b.minX, b.minY, b.minZ);
    glVertex3f(b.maxX, b.maxY, b.minZ); glVertex3f(b.maxX, b.minY, b.minZ);

    glVertex3f(b.maxX, b.minY, b.maxZ); glVertex3f(b.minX, b.minY, b.maxZ);
    glVertex3f(b.minX, b.minY, b.maxZ); glVertex3f(b.minX, b.minY, b.minZ);
    glVertex3f(b.minX, b.minY, b.minZ); glVertex3f(b.maxX, b.minY, b.minZ);
    glVertex3f(b.maxX, b.minY, b.minZ); glVertex3f(b.maxX, b.minY, b.maxZ);
    glEnd();
}

void drawModelBoxes(const Model3DS& model, const Vector3& position, const Vector3& rotation)
{
    // Only objects that have a box: a model that failed to load has neither.
    const size_t count = model.objects.size() < model.boxes.size() ? model.objects.size() : model.boxes.size();
    for (size_t i = 0; i < count; ++i) {
        glPushMatrix();
        placeModel(position, rotation);
        drawBoxEdges(model.boxes[i]);
        glPopMatrix();
    }
}

}  // namespace

bool isModelVisible(const Model3DS& model, const Vector3& position, const Vector3& rotation)
{
    decideOcclusionMethod();

    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    bool visible = true;
    if (occlusion.method == OcclusionMethod::HpTest) {
        glEnable(GL_OCCLUSION_TEST_HP);
        drawModelBoxes(model, position, rotation);
        glDisable(GL_OCCLUSION_TEST_HP);
        GLboolean result = GL_FALSE;
        glGetBooleanv(GL_OCCLUSION_TEST_RESULT_HP, &result);
        visible = result != GL_FALSE;
    } else if (occlusion.method == OcclusionMethod::ArbQuery) {
        occlusion.entry.glBeginQueryARB(GL_SAMPLES_PASSED_ARB, occlusion.query);
        drawModelBoxes(model, position, rotation);
        occlusion.entry.glEndQueryARB(GL_SAMPLES_PASSED_ARB);
        GLuint samples = 0;
        occlusion.entry.glGetQueryObjectuivARB(occlusion.query, GL_QUERY_RESULT_ARB, &samples);
        visible = samples > 0;
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    return visible;
}

void testModelsVisible(const std::vector<PlacedModel>& models, std::vector<uint8_t>& visible)
{
    decideOcclusionMethod();
    visible.resize(models.size());
    if (occlusion.method != OcclusionMethod::ArbQuery) {
        for (size_t i = 0; i < models.size(); ++i)
            visible[i] = isModelVisible(*models[i].model, models[i].position, models[i].rotation) ? 1 : 0;
        return;
    }
    if (occlusion.batch.size() < models.size()) {
        const size_t have = occlusion.batch.size();
        occlusion.batch.resize(models.size(), 0);
        occlusion.entry.glGenQueriesARB(static_cast<GLsizei>(models.size() - have), occlusion.batch.data() + have);
    }
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    for (size_t i = 0; i < models.size(); ++i) {
        occlusion.entry.glBeginQueryARB(GL_SAMPLES_PASSED_ARB, occlusion.batch[i]);
        drawModelBoxes(*models[i].model, models[i].position, models[i].rotation);
        occlusion.entry.glEndQueryARB(GL_SAMPLES_PASSED_ARB);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    for (size_t i = 0; i < models.size(); ++i) {
        GLuint samples = 0;
        occlusion.entry.glGetQueryObjectuivARB(occlusion.batch[i], GL_QUERY_RESULT_ARB, &samples);
        visible[i] = samples > 0 ? 1 : 0;
    }
}

const OcclusionQueryEntryPoints* sampleQueries()
{
    decideOcclusionMethod();
    return occlusion.method == OcclusionMethod::ArbQuery ? &occlusion.entry : nullptr;
}

void releaseOcclusionQueries()
{
    if (occlusion.method == OcclusionMethod::ArbQuery && occlusion.query != 0)
        occlusion.entry.glDeleteQueriesARB(1, &occlusion.query);
    if (occlusion.method == OcclusionMethod::ArbQuery && !occlusion.batch.empty())
        occlusion.entry.glDeleteQueriesARB(static_cast<GLsizei>(occlusion.batch.size()), occlusion.batch.data());
    occlusion = OcclusionState();
}
