#include "tools/generate/models.h"

#include <cstdio>

#include "assets/writers.h"
#include "tools/generate/levelkit.h"
#include "tools/generate/props.h"

std::string dataPath(const std::string& dataDir, const std::string& gameFileName)
{
    const std::string prefix = "Data/";
    const std::string rest =
        gameFileName.compare(0, prefix.size(), prefix) == 0 ? gameFileName.substr(prefix.size()) : gameFileName;
    return dataDir + "/" + rest;
}

namespace {

// Writes the meshes as one 3DS file, each mesh one object.
bool writeObjects(const std::string& path, const std::vector<Mesh>& meshes)
{
    std::vector<MeshObject> objects;
    for (const Mesh& mesh : meshes)
        objects.push_back(toMeshObject(mesh));
    return saveFile(path, write3ds(objects));
}

}  // namespace

bool writeModels(const std::string& dataDir)
{
    bool ok = true;
    for (const KitPiece& piece : buildLevelKit()) {
        ok = writeObjects(dataPath(dataDir, piece.modelFile), piece.display) && ok;
        ok = writeObjects(dataPath(dataDir, piece.collisionFile), piece.collision) && ok;
        std::printf("  %-18s %5zu triangles, hull %4zu\n", piece.kind.c_str(), triangleCount(piece.display),
                    triangleCount(piece.collision));
    }
    for (const PropModel& prop : buildProps()) {
        ok = writeObjects(dataPath(dataDir, prop.fileName), prop.objects) && ok;
        std::printf("  %-34s %5zu triangles\n", prop.fileName.c_str(), triangleCount(prop.objects));
    }
    return ok;
}
