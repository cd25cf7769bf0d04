#include "world/scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/text.h"
#include "platform/platform.h"
#include "render/capabilities.h"
#include "render/opengl.h"
#include "render/shader.h"
#include "world/collision.h"
#include "world/lensflare.h"

namespace {

// ---- Occlusion test -------------------------------------------------------

// How the driver answers the occlusion question; decided at the first test.
enum class OcclusionMethod { Undecided, HpTest, ArbQuery, None };

struct OcclusionState {
    OcclusionMethod method = OcclusionMethod::Undecided;
    OcclusionQueryEntryPoints entry;
    GLuint query = 0;
    std::vector<GLuint> batch;  // one query per prop of a logic pass, made as needed
};

OcclusionState occlusion;

// The HP test where offered, else the ARB query with its entry points and
// one query object; without either every prop counts as visible.
void decideOcclusionMethod()
{
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

// Translation by the position, then the three turns in X, Y, Z order.
void placePiece(const Vector3& position, const Vector3& rotation)
{
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
}

void drawModelBoxes(const Model3DS& model, const Vector3& position, const Vector3& rotation)
{
    // Only objects that have a box: a model that failed to load has neither.
    const size_t count = model.objects.size() < model.boxes.size() ? model.objects.size() : model.boxes.size();
    for (size_t i = 0; i < count; ++i) {
        glPushMatrix();
        placePiece(position, rotation);
        drawBoxEdges(model.boxes[i]);
        glPopMatrix();
    }
}

// ---- View volume ------------------------------------------------------------

// The box around the triangles a piece's display list draws, in the piece's
// own coordinates, remembered per slot together with what it was made from.
// (The model's object boxes follow the collision rules and need not hold
// every vertex, so they are not used here.)
struct DrawnBox {
    GLuint list = 0;
    const Object3DS* objects = nullptr;
    size_t objectCount = 0;
    bool empty = true;  // the list draws no triangle
    ObjectBox box;
};

// The depth-only program of the pre-pass and its two shaders.
struct DepthProgram {
    bool decided = false;
    GLhandleARB vertex = 0;
    GLhandleARB fragment = 0;
    GLhandleARB program = 0;  // 0 when it could not be built: no depth pre-pass
};

// A piece the scene pass draws, with what its material is bound with: the
// light and the camera as they stood at its slot in the pass.
struct PlannedPiece {
    int slot = 0;
    Vector3 light;
    Camera local;
    float depth = 0.0f;
    bool depthFirst = false;  // its depth comes from the pre-pass
};

// Everything the passes keep from one call to the next.
struct ScenePassState {
    std::vector<DrawnBox> drawnBoxes;           // by slot
    DepthProgram depthProgram;
    std::vector<PlannedPiece> plannedPieces;    // the shown scene pass's pieces, in slot order
    std::vector<const PlannedPiece*> nearFirst; // those with a depth pre-pass, nearest first
    bool depthPrePass = true;
    GLuint shadedFragmentQuery = 0;             // counts the shaded fragments when not 0
};

ScenePassState scenePassState;

const DrawnBox& drawnBox(int slot, const Model3DS& model)
{
    if (scenePassState.drawnBoxes.size() <= static_cast<size_t>(slot))
        scenePassState.drawnBoxes.resize(static_cast<size_t>(slot) + 1);
    DrawnBox& drawn = scenePassState.drawnBoxes[static_cast<size_t>(slot)];
    if (drawn.list == model.displayList && drawn.objects == model.objects.data() &&
        drawn.objectCount == model.objects.size())
        return drawn;
    drawn = DrawnBox();
    drawn.list = model.displayList;
    drawn.objects = model.objects.data();
    drawn.objectCount = model.objects.size();
    ObjectBox& b = drawn.box;
    // The same triangles, and the same turn of the file axes, as the display list.
    for (int32_t i = 0; i < model.objectCount && i < static_cast<int32_t>(model.objects.size()); ++i) {
        const Object3DS& object = model.objects[i];
        forEachDrawnVertex(object, [&](uint32_t k) {
            const Vector3 v = fileToDrawing(object.vertices[k]);
            if (drawn.empty) {
                b = ObjectBox{v.x, v.x, v.y, v.y, v.z, v.z};
                drawn.empty = false;
            }
            b.minX = std::min(b.minX, v.x); b.maxX = std::max(b.maxX, v.x);
            b.minY = std::min(b.minY, v.y); b.maxY = std::max(b.maxY, v.y);
            b.minZ = std::min(b.minZ, v.z); b.maxZ = std::max(b.maxZ, v.z);
        });
    }
    return drawn;
}

// Where a placed piece stands against the view volume: whether any of it may
// be inside, and how far in front of the eye its box centre is.
struct ViewPlacement {
    bool inside = true;
    float depth = 0.0f;
};

// The piece's box through the current model-view (the piece already placed)
// and the given projection. Outside only when all eight corners lie beyond
// the same side of the view volume, with a margin against rounding; a box
// that is not finite is always inside.
ViewPlacement placeInView(const GLdouble projection[16], const DrawnBox& drawn)
{
    ViewPlacement placement;
    if (drawn.empty) {
        placement.inside = false;
        return placement;
    }
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    GLdouble clipFromPiece[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            clipFromPiece[column * 4 + row] = sum;
        }
    const ObjectBox& b = drawn.box;
    const double margin = 1.0;  // units in the piece's own coordinates
    const double xs[2] = {b.minX - margin, b.maxX + margin};
    const double ys[2] = {b.minY - margin, b.maxY + margin};
    const double zs[2] = {b.minZ - margin, b.maxZ + margin};
    int outside[6] = {};
    bool finite = true;
    for (int corner = 0; corner < 8; ++corner) {
        const double p[3] = {xs[corner & 1], ys[(corner >> 1) & 1], zs[(corner >> 2) & 1]};
        double clip[4];
        for (int row = 0; row < 4; ++row)
            clip[row] = clipFromPiece[row] * p[0] + clipFromPiece[4 + row] * p[1] + clipFromPiece[8 + row] * p[2] +
                        clipFromPiece[12 + row];
        finite = finite && std::isfinite(clip[0]) && std::isfinite(clip[1]) && std::isfinite(clip[2]) &&
                 std::isfinite(clip[3]);
        for (int axis = 0; axis < 3; ++axis) {
            outside[2 * axis] += clip[axis] > clip[3] ? 1 : 0;
            outside[2 * axis + 1] += clip[axis] < -clip[3] ? 1 : 0;
        }
    }
    for (int plane = 0; plane < 6; ++plane)
        placement.inside = placement.inside && outside[plane] < 8;
    placement.inside = placement.inside || !finite;
    const double centre[3] = {(b.minX + b.maxX) * 0.5, (b.minY + b.maxY) * 0.5, (b.minZ + b.maxZ) * 0.5};
    placement.depth = static_cast<float>(clipFromPiece[3] * centre[0] + clipFromPiece[7] * centre[1] +
                                         clipFromPiece[11] * centre[2] + clipFromPiece[15]);
    return placement;
}

// ---- Depth-only program ---------------------------------------------------------

// Writes depth exactly where the material programs will: the position is
// computed with the very expression their vertex stages use, so an equal
// depth test lets the shaded pass through on the nearest surface only.
const char* const depthVertexSource =
    "#version 110\n"
    "void main()\n"
    "{\n"
    "    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;\n"
    "}\n";
const char* const depthFragmentSource =
    "#version 110\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(0.0);\n"
    "}\n";

void releaseDepthProgram()
{
    if (scenePassState.depthProgram.program != 0) {
        shaderGl.glDetachObjectARB(scenePassState.depthProgram.program, scenePassState.depthProgram.vertex);
        shaderGl.glDetachObjectARB(scenePassState.depthProgram.program, scenePassState.depthProgram.fragment);
        shaderGl.glDeleteObjectARB(scenePassState.depthProgram.program);
    }
    if (scenePassState.depthProgram.vertex != 0)
        shaderGl.glDeleteObjectARB(scenePassState.depthProgram.vertex);
    if (scenePassState.depthProgram.fragment != 0)
        shaderGl.glDeleteObjectARB(scenePassState.depthProgram.fragment);
    scenePassState.depthProgram = DepthProgram();
}

// Built at the first shown scene pass; without shader objects, or when it does
// not link, the scene pass draws without a depth pre-pass.
GLhandleARB depthOnlyProgram()
{
    if (scenePassState.depthProgram.decided)
        return scenePassState.depthProgram.program;
    scenePassState.depthProgram.decided = true;
    ProgramStatusEntryPoints status;
    if (!fetchEntryPoints(status, getGlProcAddress))
        return 0;
    scenePassState.depthProgram.vertex = shaderGl.glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    scenePassState.depthProgram.fragment = shaderGl.glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    if (scenePassState.depthProgram.vertex == 0 || scenePassState.depthProgram.fragment == 0) {
        releaseDepthProgram();
        scenePassState.depthProgram.decided = true;
        return 0;
    }
    const GLcharARB* vertexText = depthVertexSource;
    const GLcharARB* fragmentText = depthFragmentSource;
    shaderGl.glShaderSourceARB(scenePassState.depthProgram.vertex, 1, &vertexText, nullptr);
    shaderGl.glShaderSourceARB(scenePassState.depthProgram.fragment, 1, &fragmentText, nullptr);
    shaderGl.glCompileShaderARB(scenePassState.depthProgram.vertex);
    shaderGl.glCompileShaderARB(scenePassState.depthProgram.fragment);
    scenePassState.depthProgram.program = shaderGl.glCreateProgramObjectARB();
    shaderGl.glAttachObjectARB(scenePassState.depthProgram.program, scenePassState.depthProgram.vertex);
    shaderGl.glAttachObjectARB(scenePassState.depthProgram.program, scenePassState.depthProgram.fragment);
    shaderGl.glLinkProgramARB(scenePassState.depthProgram.program);
    GLint linked = 0;
    status.glGetObjectParameterivARB(scenePassState.depthProgram.program, GL_OBJECT_LINK_STATUS_ARB, &linked);
    if (!linked) {
        releaseDepthProgram();
        scenePassState.depthProgram.decided = true;
    }
    return scenePassState.depthProgram.program;
}

// ---- The two passes -------------------------------------------------------

// Every prop's occlusion test of one logic pass. With ARB queries all boxes
// are drawn first and the answers read after, so the driver waits once.
void testPropVisibility(World& world)
{
    if (occlusion.method == OcclusionMethod::Undecided)
        decideOcclusionMethod();
    if (occlusion.method != OcclusionMethod::ArbQuery) {
        for (int i = 0; i < world.pieceCount; ++i) {
            LevelPiece& piece = world.pieces[i];
            if (piece.isProp != 0)
                piece.visible = isModelVisible(piece.model, piece.position, piece.rotation) ? 1 : 0;
        }
        return;
    }
    size_t props = 0;
    for (int i = 0; i < world.pieceCount; ++i)
        props += world.pieces[i].isProp != 0 ? 1 : 0;
    if (occlusion.batch.size() < props) {
        const size_t have = occlusion.batch.size();
        occlusion.batch.resize(props, 0);
        occlusion.entry.glGenQueriesARB(static_cast<GLsizei>(props - have), occlusion.batch.data() + have);
    }
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDepthMask(GL_FALSE);
    size_t next = 0;
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (piece.isProp == 0)
            continue;
        occlusion.entry.glBeginQueryARB(GL_SAMPLES_PASSED_ARB, occlusion.batch[next++]);
        drawModelBoxes(piece.model, piece.position, piece.rotation);
        occlusion.entry.glEndQueryARB(GL_SAMPLES_PASSED_ARB);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    next = 0;
    for (int i = 0; i < world.pieceCount; ++i) {
        LevelPiece& piece = world.pieces[i];
        if (piece.isProp == 0)
            continue;
        GLuint samples = 0;
        occlusion.entry.glGetQueryObjectuivARB(occlusion.batch[next++], GL_QUERY_RESULT_ARB, &samples);
        piece.visible = samples > 0 ? 1 : 0;
    }
}

void runLogicPass(World& world)
{
    collideWithNearestPiece(world, playerCamera);

    // Depth fill for the occlusion tests, under whatever modelview is current:
    // depth only, and only pieces that reach into the view volume.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if ((piece.visible == 1 || piece.isProp == 0) && piece.model.displayList != 0) {
            glPushMatrix();
            placePiece(piece.position, piece.rotation);
            if (placeInView(projection, drawnBox(i, piece.model)).inside)
                glCallList(piece.model.displayList);
            glPopMatrix();
        }
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    testPropVisibility(world);

    collectBottles(world, playerCamera);
    checkLevelComplete(world);
}

// Draws the planned pieces that reach into the view volume: first, nearest
// first, the depth of those whose material has a program (through the
// depth-only program, colour off); then every piece in slot order with its
// material, the pre-filled ones with an equal depth test, so each pixel runs
// the material program of its visible surface only and equal depths resolve
// in slot order as before.
void drawPlannedPieces(World& world)
{
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const GLhandleARB depthOnly = scenePassState.depthPrePass ? depthOnlyProgram() : 0;
    size_t kept = 0;
    scenePassState.nearFirst.clear();
    for (PlannedPiece& planned : scenePassState.plannedPieces) {
        const LevelPiece& piece = world.pieces[planned.slot];
        glPushMatrix();
        placePiece(piece.position, piece.rotation);
        const ViewPlacement placement = placeInView(projection, drawnBox(planned.slot, piece.model));
        glPopMatrix();
        if (!placement.inside)
            continue;
        planned.depth = placement.depth;
        planned.depthFirst = depthOnly != 0 && world.materials[piece.materialIndex].program.program != 0;
        scenePassState.plannedPieces[kept++] = planned;
    }
    scenePassState.plannedPieces.resize(kept);
    for (const PlannedPiece& planned : scenePassState.plannedPieces)
        if (planned.depthFirst)
            scenePassState.nearFirst.push_back(&planned);
    std::stable_sort(scenePassState.nearFirst.begin(), scenePassState.nearFirst.end(),
                     [](const PlannedPiece* a, const PlannedPiece* b) { return a->depth < b->depth; });

    if (!scenePassState.nearFirst.empty()) {
        shaderGl.glUseProgramObjectARB(depthOnly);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        for (const PlannedPiece* planned : scenePassState.nearFirst) {
            const LevelPiece& piece = world.pieces[planned->slot];
            glPushMatrix();
            placePiece(piece.position, piece.rotation);
            glCallList(piece.model.displayList);
            glPopMatrix();
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        shaderGl.glUseProgramObjectARB(0);
    }

    GLint depthFunction = GL_LEQUAL;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    const bool counting = scenePassState.shadedFragmentQuery != 0 && occlusion.method == OcclusionMethod::ArbQuery;
    if (counting)
        occlusion.entry.glBeginQueryARB(GL_SAMPLES_PASSED_ARB, scenePassState.shadedFragmentQuery);
    for (const PlannedPiece& planned : scenePassState.plannedPieces) {
        const LevelPiece& piece = world.pieces[planned.slot];
        glPushMatrix();
        placePiece(piece.position, piece.rotation);
        Material& material = world.materials[piece.materialIndex];
        material.bind(planned.light, planned.local);
        glDepthFunc(planned.depthFirst ? GL_EQUAL : static_cast<GLenum>(depthFunction));
        glCallList(piece.model.displayList);
        material.unbind();
        glPopMatrix();
    }
    if (counting)
        occlusion.entry.glEndQueryARB(GL_SAMPLES_PASSED_ARB);
    glDepthFunc(static_cast<GLenum>(depthFunction));
}

// The rules run for every piece in slot order first (push-out, hazard damage),
// each drawn piece noting the camera its material sees at that point; then,
// when the pass is shown, the pieces and the light glows are drawn.
void runScenePass(World& world, bool shown)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    scenePassState.plannedPieces.clear();
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (!pieceDrawn(piece))
            continue;
        if (shown && piece.active != 0 && piece.model.displayList != 0) {
            PlannedPiece planned;
            planned.slot = i;
            planned.light = backTurn(piece, lightForPiece(piece.position));
            planned.local.position = backTurn(piece, playerCamera.position);
            planned.local.view = backTurn(piece, playerCamera.view);
            planned.local.up = up;
            scenePassState.plannedPieces.push_back(planned);
        }
        propContact(world, piece, playerCamera);
    }
    if (!shown)
        return;
    drawPlannedPieces(world);
    drawLightGlows();
}

}  // namespace

// ---- Occlusion test -------------------------------------------------------

bool isModelVisible(const Model3DS& model, const Vector3& position, const Vector3& rotation)
{
    if (occlusion.method == OcclusionMethod::Undecided)
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

void releaseOcclusionQuery()
{
    if (occlusion.method == OcclusionMethod::ArbQuery && occlusion.query != 0)
        occlusion.entry.glDeleteQueriesARB(1, &occlusion.query);
    if (occlusion.method == OcclusionMethod::ArbQuery && !occlusion.batch.empty())
        occlusion.entry.glDeleteQueriesARB(static_cast<GLsizei>(occlusion.batch.size()), occlusion.batch.data());
    occlusion = OcclusionState();
    releaseDepthProgram();
    scenePassState.drawnBoxes.clear();
}

bool pointInBox(const Vector3& point, const ObjectBox& box)
{
    return point.x >= box.minX && point.x <= box.maxX && point.y >= box.minY && point.y <= box.maxY &&
           point.z >= box.minZ && point.z <= box.maxZ;
}

void World::renderWorld(bool scenePass, bool shown)
{
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (scenePass)
        runScenePass(*this, shown);
    else
        runLogicPass(*this);
    glDisable(GL_CULL_FACE);
    endOfPassRules(*this, playerCamera);
}

void setDepthPrePass(bool enabled)
{
    scenePassState.depthPrePass = enabled;
}

bool setShadedFragmentQuery(unsigned query)
{
    if (occlusion.method == OcclusionMethod::Undecided)
        decideOcclusionMethod();
    scenePassState.shadedFragmentQuery = occlusion.method == OcclusionMethod::ArbQuery ? query : 0;
    return query == 0 || scenePassState.shadedFragmentQuery != 0;
}

void renderWorldPass(bool scenePass, bool shown)
{
    world.renderWorld(scenePass, shown);
}

// ---- Game rules -----------------------------------------------------------

int nearestLevelPiece(const World& world, const Vector3& point)
{
    int nearest = -1;
    float best = initialBestDistance;
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (piece.isProp != 0)
            continue;
        const float d = distance(point, piece.position);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    return nearest;
}

Vector3 lightForPiece(const Vector3& piecePosition)
{
    if (levelLights.lightCount <= 0)
        return piecePosition + Vector3(0.0f, 100.0f, 0.0f);
    int nearest = 0;
    float best = initialBestDistance;
    for (int i = 0; i < levelLights.lightCount && i < maxLights; ++i) {
        const float d = distance(piecePosition, levelLights.lightPositions[i]);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    return levelLights.lightPositions[nearest];
}

void collideWithNearestPiece(const World& world, Camera& camera)
{
    const int nearest = nearestLevelPiece(world, camera.position);
    if (nearest < 0)
        return;
    const LevelPiece& piece = world.pieces[nearest];
    Matrix4 turn;
    turn.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    collideCameraWithPiece(piece.model, camera, camera.position - piece.position, collisionRadius, turn);
}

void collectBottles(World& world, const Camera& camera)
{
    for (int i = 0; i < world.pieceCount; ++i) {
        LevelPiece& piece = world.pieces[i];
        if (piece.isCollectible == 1 && distance(camera.position, piece.position) < pickupDistance) {
            ++levelRecord.bottlesCollected;
            piece.isCollectible = 0;
            piece.active = 0;
            world.hitPoints += bottleHitPoints;
        }
    }
}

void checkLevelComplete(World& world)
{
    if (levelRecord.bottlesCollected >= world.bottleTotal)
        world.levelComplete = 1;
}

bool pieceDrawn(const LevelPiece& piece)
{
    return piece.isProp == 0 || piece.visible == 1;
}

Vector3 backTurn(const LevelPiece& piece, const Vector3& point)
{
    Matrix4 back;
    back.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    back.invert();
    return back.transformPoint(point - piece.position);
}

void propContact(World& world, const LevelPiece& piece, Camera& camera)
{
    if (piece.visible != 1)
        return;
    // A model that failed to load has no box to be inside of.
    if (!piece.model.boxes.empty() && pointInBox(backTurn(piece, camera.position), piece.model.boxes[0])) {
        const Vector3 away = camera.position - piece.position;
        // Standing exactly on the origin gives no direction to push along;
        // normalising it would turn the camera into NaNs for good.
        if (magnitude(away) > 0.0f) {
            camera.position = camera.position + normalize(away) * pushOutDistance;
            camera.view = camera.view + normalize(camera.position - piece.position) * pushOutDistance;
        }
    }
    if (distance(camera.position, piece.position) < hazardDistance && piece.hazardDamage > 0)
        world.hitPoints -= piece.hazardDamage;
}

void resetPlayerCamera(const World& world, Camera& camera)
{
    const Vector3& start = world.playerStart;
    positionCamera(camera, start.x, start.y, start.z, start.x, start.y + 1.0f, start.z + 30.0f, 0.0f, 1.0f, 0.0f);
}

void endOfPassRules(World& world, Camera& camera)
{
    if (world.hitPoints < 0) {
        levelRecord.bottlesCollected = 0;
        world.hitPoints = maxHitPoints;
        for (int i = 0; i < world.pieceCount; ++i) {
            LevelPiece& piece = world.pieces[i];
            if (contains(piece.name, "Gorvik")) {
                piece.isCollectible = 1;
                piece.active = 1;
            }
        }
        resetPlayerCamera(world, camera);
    }
    if (world.hitPoints > maxHitPoints)
        world.hitPoints = maxHitPoints;
}
