#include "world/rules.h"

#include "core/text.h"
#include "world/camera.h"
#include "world/collision.h"

bool pointInBox(const Vector3& point, const ObjectBox& box)
{
    return point.x >= box.minX && point.x <= box.maxX && point.y >= box.minY && point.y <= box.maxY &&
           point.z >= box.minZ && point.z <= box.maxZ;
}

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

Vector3 lightForPiece(const World& world, const Vector3& piecePosition)
{
    const LevelLights& lights = world.lights;
    if (lights.lightCount <= 0)
        return piecePosition + Vector3(0.0f, 100.0f, 0.0f);
    int nearest = 0;
    float best = initialBestDistance;
    for (int i = 0; i < lights.lightCount && i < maxLights; ++i) {
        const float d = distance(piecePosition, lights.lightPositions[i]);
        if (d < best) {
            best = d;
            nearest = i;
        }
    }
    return lights.lightPositions[nearest];
}

void collideWithNearestPiece(World& world)
{
    Camera& camera = world.playerCamera;
    const int nearest = nearestLevelPiece(world, camera.position);
    if (nearest < 0)
        return;
    const LevelPiece& piece = world.pieces[nearest];
    Matrix4 turn;
    turn.rotate(piece.rotation.y, 0.0f, 1.0f, 0.0f);
    collideCameraWithPiece(piece.collisionModel, camera, camera.position - piece.position, collisionRadius, turn);
}

void collectBottles(World& world)
{
    const Camera& camera = world.playerCamera;
    for (int i = 0; i < world.pieceCount; ++i) {
        LevelPiece& piece = world.pieces[i];
        if (piece.isCollectible == 1 && distance(camera.position, piece.position) < pickupDistance) {
            ++world.bottlesCollected;
            piece.isCollectible = 0;
            piece.active = 0;
            world.hitPoints += bottleHitPoints;
        }
    }
}

void checkLevelComplete(World& world)
{
    if (world.bottlesCollected >= world.bottleTotal)
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

void propContact(World& world, const LevelPiece& piece)
{
    Camera& camera = world.playerCamera;
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

void resetPlayerCamera(World& world)
{
    Camera& camera = world.playerCamera;
    const Vector3& start = world.playerStart;
    positionCamera(camera, start.x, start.y, start.z, start.x, start.y + 1.0f, start.z + 30.0f, 0.0f, 1.0f, 0.0f);
}

void endOfPassRules(World& world)
{
    if (world.hitPoints < 0) {
        world.bottlesCollected = 0;
        world.hitPoints = maxHitPoints;
        for (int i = 0; i < world.pieceCount; ++i) {
            LevelPiece& piece = world.pieces[i];
            if (contains(piece.name, "Gorvik")) {
                piece.isCollectible = 1;
                piece.active = 1;
            }
        }
        resetPlayerCamera(world);
    }
    if (world.hitPoints > maxHitPoints)
        world.hitPoints = maxHitPoints;
}
