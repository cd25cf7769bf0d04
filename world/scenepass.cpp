#include "world/scenepass.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "render/material.h"
#include "render/meshlist.h"
#include "render/occlusion.h"
#include "render/opengl.h"
#include "render/shader.h"
#include "world/lensflare.h"
#include "world/measure.h"
#include "world/rules.h"
#include "world/world.h"

namespace {

// A piece the scene pass draws, with what its material is bound with: the
// light and the camera as they stood at its slot in the pass.
struct PlannedPiece {
    int slot = 0;
    Vector3 light;
    Camera local;
    float depth = 0.0f;
    bool depthFirst = false;  // its depth comes from the pre-pass
};

// What the passes keep from one call to the next, so that nothing is
// allocated per frame once the lists have grown.
struct ScenePassState {
    ShaderProgram depthProgram;                  // the depth-only program of the pre-pass
    bool depthProgramDecided = false;            // built, or found impossible to build
    std::vector<PlannedPiece> plannedPieces;     // the shown scene pass's pieces, in slot order
    std::vector<const PlannedPiece*> nearFirst;  // those with a depth pre-pass, nearest first
    std::vector<PlacedModel> props;              // the logic pass's occlusion tests
    std::vector<int> propSlots;
    std::vector<uint8_t> propVisible;
};

ScenePassState scenePassState;

}  // namespace

// Writes depth exactly where the material programs will: every program of
// the game takes its position from ftransform(), which GLSL promises gives
// the fixed-function result, so an equal depth test lets the shaded pass
// through on the nearest surface only, on any driver.
const char* const depthVertexSource =
    "#version 110\n"
    "void main()\n"
    "{\n"
    "    gl_Position = ftransform();\n"
    "}\n";
const char* const depthFragmentSource =
    "#version 110\n"
    "void main()\n"
    "{\n"
    "    gl_FragColor = vec4(0.0);\n"
    "}\n";

namespace {

// Built at the first shown scene pass; without shader objects, or when it does
// not link, the scene pass draws without a depth pre-pass.
unsigned depthOnlyProgram()
{
    ScenePassState& state = scenePassState;
    if (!state.depthProgramDecided) {
        state.depthProgramDecided = true;
        if (!state.depthProgram.build(depthVertexSource, depthFragmentSource))
            state.depthProgram.release();
    }
    return state.depthProgram.program;
}

// The piece placed in the current model-view, against the view volume.
ViewPlacement placeInView(const GLdouble projection[16], const Model3DS& model)
{
    if (!model.drawsTriangles) {
        ViewPlacement placement;
        placement.inside = false;
        return placement;
    }
    GLdouble modelview[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    return placeBoxInView(projection, modelview, model.drawnBox);
}

// Every prop's occlusion test of one logic pass, all boxes drawn before the
// first answer is read where the driver allows.
void testPropVisibility(World& world)
{
    ScenePassState& state = scenePassState;
    state.props.clear();
    state.propSlots.clear();
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if (piece.isProp == 0)
            continue;
        PlacedModel placed;
        placed.model = &piece.model;
        placed.position = piece.position;
        placed.rotation = piece.rotation;
        state.props.push_back(placed);
        state.propSlots.push_back(i);
    }
    testModelsVisible(state.props, state.propVisible);
    for (size_t k = 0; k < state.propSlots.size(); ++k)
        world.pieces[state.propSlots[k]].visible = state.propVisible[k];
}

void runLogicPass(World& world)
{
    collideWithNearestPiece(world);

    // Depth fill for the occlusion tests, under whatever modelview is current:
    // depth only, and only pieces that reach into the view volume.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    for (int i = 0; i < world.pieceCount; ++i) {
        const LevelPiece& piece = world.pieces[i];
        if ((piece.visible == 1 || piece.isProp == 0) && piece.model.displayList != 0) {
            glPushMatrix();
            placeModel(piece.position, piece.rotation);
            if (placeInView(projection, piece.model).inside)
                glCallList(piece.model.displayList);
            glPopMatrix();
        }
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    testPropVisibility(world);

    collectBottles(world);
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
    const unsigned depthOnly = worldMeasurements.depthPrePass ? depthOnlyProgram() : 0;
    size_t kept = 0;
    scenePassState.nearFirst.clear();
    for (PlannedPiece& planned : scenePassState.plannedPieces) {
        const LevelPiece& piece = world.pieces[planned.slot];
        glPushMatrix();
        placeModel(piece.position, piece.rotation);
        const ViewPlacement placement = placeInView(projection, piece.model);
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
            placeModel(piece.position, piece.rotation);
            glCallList(piece.model.displayList);
            glPopMatrix();
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        shaderGl.glUseProgramObjectARB(0);
    }

    GLint depthFunction = GL_LEQUAL;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    const OcclusionQueryEntryPoints* counter =
        worldMeasurements.shadedFragmentQuery != 0 ? sampleQueries() : nullptr;
    if (counter)
        counter->glBeginQueryARB(GL_SAMPLES_PASSED_ARB, worldMeasurements.shadedFragmentQuery);
    for (const PlannedPiece& planned : scenePassState.plannedPieces) {
        const LevelPiece& piece = world.pieces[planned.slot];
        glPushMatrix();
        placeModel(piece.position, piece.rotation);
        Material& material = world.materials[piece.materialIndex];
        material.bind(planned.light, planned.local);
        glDepthFunc(planned.depthFirst ? GL_EQUAL : static_cast<GLenum>(depthFunction));
        glCallList(piece.model.displayList);
        material.unbind();
        glPopMatrix();
    }
    if (counter)
        counter->glEndQueryARB(GL_SAMPLES_PASSED_ARB);
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
            planned.light = backTurn(piece, lightForPiece(world, piece.position));
            planned.local.position = backTurn(piece, world.playerCamera.position);
            planned.local.view = backTurn(piece, world.playerCamera.view);
            planned.local.up = up;
            scenePassState.plannedPieces.push_back(planned);
        }
        propContact(world, piece);
    }
    if (!shown)
        return;
    drawPlannedPieces(world);
    drawLightGlows(world.lights);
}

}  // namespace

ViewPlacement placeBoxInView(const double projection[16], const double modelview[16], const ObjectBox& b)
{
    ViewPlacement placement;
    double clipFromPiece[16];
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k)
                sum += projection[k * 4 + row] * modelview[column * 4 + k];
            clipFromPiece[column * 4 + row] = sum;
        }
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

void World::renderWorld(bool scenePass, bool shown)
{
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (scenePass)
        runScenePass(*this, shown);
    else
        runLogicPass(*this);
    glDisable(GL_CULL_FACE);
    endOfPassRules(*this);
}

void releaseScenePass()
{
    scenePassState.depthProgram.release();
    scenePassState.depthProgramDecided = false;
    releaseOcclusionQueries();
}
