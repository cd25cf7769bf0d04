#include "world/scene.h"

#include <cmath>
#include <cstring>

#include "core/text.h"
#include "platform/platform.h"
#include "render/capabilities.h"
#include "render/opengl.h"
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

// ---- The two passes -------------------------------------------------------

void runLogicPass(World& world)
{
    collideWithNearestPiece(world, playerCamera);

    // Depth fill for the occlusion tests, under whatever modelview is current.
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        glPushMatrix();
        if (piece.visible == 1 || piece.isProp == 0) {
            placePiece(piece.position, piece.rotation);
            if (piece.model.displayList != 0)
                glCallList(piece.model.displayList);
        }
        glPopMatrix();
    }

    for (int i = 0; i < world.pieceCount; ++i) {
        LevelPiece& piece = world.pieces[i];
        if (piece.isProp != 0)
            piece.visible = isModelVisible(piece.model, piece.position, piece.rotation) ? 1 : 0;
    }

    collectBottles(world, playerCamera);
    checkLevelComplete(world);
}

void runScenePass(World& world)
{
    const Vector3 up(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        glPushMatrix();
        const Vector3 light = lightForPiece(piece.position);
        if (pieceDrawn(piece)) {
            placePiece(piece.position, piece.rotation);
            Camera local;
            local.position = backTurn(piece, playerCamera.position);
            local.view = backTurn(piece, playerCamera.view);
            local.up = up;
            Material& material = world.materials[piece.materialIndex];
            material.bind(backTurn(piece, light), local);
            if (piece.active != 0 && piece.model.displayList != 0)
                glCallList(piece.model.displayList);
            material.unbind();
            propContact(world, piece, playerCamera);
        }
        glPopMatrix();
    }
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
    occlusion = OcclusionState();
}

bool pointInBox(const Vector3& point, const ObjectBox& box)
{
    return point.x >= box.minX && point.x <= box.maxX && point.y >= box.minY && point.y <= box.maxY &&
           point.z >= box.minZ && point.z <= box.maxZ;
}

void World::renderWorld(bool scenePass)
{
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (scenePass)
        runScenePass(*this);
    else
        runLogicPass(*this);
    glDisable(GL_CULL_FACE);
    endOfPassRules(*this, playerCamera);
}

void renderWorldPass(bool scenePass)
{
    world.renderWorld(scenePass);
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
