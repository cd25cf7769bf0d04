// The world's per-frame passes and the game rules they apply. The rules are
// plain functions without OpenGL, called by the passes in their order, so
// they can be driven without a rendering context.
#pragma once

#include <cstdint>

#include "world/camera.h"
#include "assets/model3ds.h"
#include "core/geometry.h"
#include "world/world.h"

// Game constants.
constexpr int32_t maxHitPoints = 1000;       // start value and ceiling
constexpr int32_t bottleHitPoints = 100;     // added per bottle picked up
constexpr float pickupDistance = 20.0f;      // camera to bottle, strictly less
constexpr float hazardDistance = 30.0f;      // camera to hazard prop, strictly less
constexpr float pushOutDistance = 2.5f;      // camera moved out of a prop's box per scene pass
constexpr float collisionRadius = 15.0f;     // the camera's sphere
constexpr float initialBestDistance = 1e7f;  // start of both nearest searches

// The pass callback the frame renderer installs: world.renderWorld(scenePass, shown).
void renderWorldPass(bool scenePass, bool shown = true);

// For measurements: the scene pass's depth pre-pass can be turned off (on by
// default), and while a query object (ARB occlusion query) is set here, each
// shown scene pass counts into it the fragments its materials shade (false
// when the driver's occlusion test cannot count; 0 stops the counting).
void setDepthPrePass(bool enabled);
bool setShadedFragmentQuery(unsigned query);

// True when min <= point <= max on all three axes.
bool pointInBox(const Vector3& point, const ObjectBox& box);

// Did any fragment of the model's object box edges, placed at position and
// turned by rotation (degrees), pass the depth test against what is drawn?
// Colour and depth writes are off during the test and back on after it.
bool isModelVisible(const Model3DS& model, const Vector3& position, const Vector3& rotation);

// Deletes the occlusion query objects and the depth-only program of the
// scene pass, if they were made (part of releaseWorld).
void releaseOcclusionQuery();

// ---- Game rules (no OpenGL) -----------------------------------------------

// Index of the level piece (isProp 0) whose origin is nearest to point; the
// earlier piece wins a tie. -1 when the map has no level piece in reach.
int nearestLevelPiece(const World& world, const Vector3& point);

// The light that lights a piece: the entry of levelLights.lightPositions nearest to the
// piece's position (earlier wins a tie). A map without lights lights every
// piece from 100 units straight above its own origin.
Vector3 lightForPiece(const Vector3& piecePosition);

// Logic pass, first: pushes the camera out of the nearest level
// piece's geometry (turned by its Y rotation). Nothing without a level piece.
void collideWithNearestPiece(const World& world, Camera& camera);

// Logic pass, after the occlusion tests: every bottle within pickupDistance of the camera is
// taken, visible or not: counted, hidden, and worth bottleHitPoints.
void collectBottles(World& world, const Camera& camera);

// Logic pass, last: the level is complete once every bottle is collected.
void checkLevelComplete(World& world);

// Scene pass, skip rule: a prop is drawn only when its last occlusion test
// found it visible; level pieces are always drawn.
bool pieceDrawn(const LevelPiece& piece);

// The inverse of the piece's Y rotation, applied to point - position: a
// world point in the piece's own (Y-unturned) coordinates.
Vector3 backTurn(const LevelPiece& piece, const Vector3& point);

// Scene pass, after a visible piece is drawn: pushes the camera out of the box
// of the model's first object, then applies the piece's hazard damage when
// the camera is near. Does nothing for a piece not marked visible.
void propContact(World& world, const LevelPiece& piece, Camera& camera);

// End of both passes: a reset when hitPoints fell below 0, then the ceiling.
void endOfPassRules(World& world, Camera& camera);

// Puts the camera at the player start, looking along +Z.
void resetPlayerCamera(const World& world, Camera& camera);
