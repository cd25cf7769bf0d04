// plemox-inspect: prints what the game's own loaders and parsers make of a
// file: an asset (3DS model, BMP, TGA, JPEG or Radiance RGBE picture), the map
// (".txt") or a material (".plemoxmat"). It needs no OpenGL context and shows
// no dialogs: the message boxes go to standard error. Exit status 0 when the
// file was read and everything the game needs from it is there, 1 when it
// could not be read or something it names is missing, 2 for wrong usage or a
// file of unknown kind.
#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/bytereader.h"
#include "assets/image.h"
#include "assets/model3ds.h"
#include "assets/rgbe.h"
#include "core/text.h"
#include "core/textlines.h"
#include "platform/platform.h"
#include "render/material.h"
#include "world/world.h"

namespace {

enum class Kind { Unknown, Model, Bitmap, Targa, Jpeg, Rgbe, Map, Material };

// Message boxes seen while loading; an "Error"/"ERROR" caption marks failure.
struct BoxLog {
    int errors = 0;
};

BoxLog boxLog;

bool endsWith(std::string name, const char* suffix)
{
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    const size_t length = std::strlen(suffix);
    return name.size() >= length && name.compare(name.size() - length, length, suffix) == 0;
}

// The file's kind from its first bytes, or from its name when they do not tell.
Kind kindOf(const std::string& name, const std::vector<uint8_t>& bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0x4D && bytes[1] == 0x4D)
        return Kind::Model;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return Kind::Bitmap;
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8)
        return Kind::Jpeg;
    if (bytes.size() >= 2 && bytes[0] == '#' && bytes[1] == '?')
        return Kind::Rgbe;
    if (endsWith(name, ".plemoxmat"))
        return Kind::Material;
    if (endsWith(name, ".txt"))
        return Kind::Map;
    if (endsWith(name, ".3ds"))
        return Kind::Model;
    if (endsWith(name, ".bmp") || endsWith(name, ".dib"))
        return Kind::Bitmap;
    if (endsWith(name, ".tga"))
        return Kind::Targa;
    if (endsWith(name, ".jpg") || endsWith(name, ".jpeg"))
        return Kind::Jpeg;
    if (endsWith(name, ".hdr") || endsWith(name, ".rgbe") || endsWith(name, ".pic"))
        return Kind::Rgbe;
    return Kind::Unknown;
}

int inspectModel(const std::string& name, const std::vector<uint8_t>& bytes)
{
    Model3DS model;
    model.loadFromMemory(bytes.data(), bytes.size(), name);
    if (boxLog.errors > 0)
        return 1;
    std::printf("3DS model, %d object%s\n", model.objectCount, model.objectCount == 1 ? "" : "s");
    for (const Object3DS& object : model.objects) {
        size_t badFaces = 0;
        for (const Face3DS& face : object.faces) {
            const uint32_t n = static_cast<uint32_t>(std::max(object.vertexCount, 0));
            if (face.a >= n || face.b >= n || face.c >= n)
                ++badFaces;
        }
        std::printf("  \"%s\": %d vertices, %d faces, %d texture coordinates", object.name, object.vertexCount,
                    object.faceCount, object.texCoordCount);
        if (object.texCoordCount > 0 && object.texCoordCount < object.vertexCount)
            std::printf(" (fewer than vertices)");
        if (badFaces > 0)
            std::printf(", %zu faces name missing vertices", badFaces);
        std::printf("\n");
        ObjectBox box;
        if (drawnBounds(object, box))
            std::printf("    bounds (drawing axes): x %g..%g, y %g..%g, z %g..%g\n", box.minX + 0.0f,
                        box.maxX + 0.0f, box.minY + 0.0f, box.maxY + 0.0f, box.minZ + 0.0f, box.maxZ + 0.0f);
        else
            std::printf("    no drawable faces\n");
    }
    return 0;
}

int inspectBitmap(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<DibImage> image = decodeDib(bytes.data(), bytes.size());
    if (!image)
        return 1;
    std::printf("BMP image%s, %d x %d, 3 channels (R, G, B), bottom row first\n",
                bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? "" : " (bare DIB)", image->width,
                image->height);
    return 0;
}

int inspectTarga(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<Image> image = decodeTga(bytes.data(), bytes.size());
    if (!image) {
        std::fprintf(stderr, "not a TGA picture the game can read (it takes 16, 24 or 32 bits per pixel)\n");
        return 1;
    }
    const bool runLength = bytes.size() > 2 && bytes[2] == 10;
    const bool topFirst = bytes.size() > 17 && (bytes[17] & 0x20);
    std::printf("TGA image, %d x %d, %d channels (%s), %s, %d bits per pixel\n", image->width, image->height,
                image->channels, image->channels == 4 ? "R, G, B, A" : "R, G, B",
                runLength ? "run-length encoded" : "uncompressed", bytes[16]);
    std::printf("  rows in file order (the file says its %s row comes first)\n", topFirst ? "top" : "bottom");
    const size_t stored = static_cast<size_t>(image->width) * image->height * (bytes[16] / 8);
    const size_t present = bytes.size() - std::min<size_t>(bytes.size(), 18 + bytes[0]);
    if (!runLength && present < stored)
        std::printf("  pixel data cut short (%zu of %zu bytes); the rest reads as zero\n", present, stored);
    return 0;
}

int inspectJpeg(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<Image> image = decodeJpeg(bytes.data(), bytes.size());
    if (!image)
        return 1;
    std::printf("JPEG image, %d x %d, %d channel%s (%s), bottom row first\n", image->width, image->height,
                image->channels, image->channels == 1 ? "" : "s",
                image->channels == 1 ? "grey" : (image->channels == 3 ? "R, G, B" : "as stored"));
    return 0;
}

int inspectRgbe(std::vector<uint8_t>& bytes)
{
    if (bytes.empty()) {
        std::fprintf(stderr, "empty file\n");
        return 1;
    }
    FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
    if (!stream) {
        std::fprintf(stderr, "cannot read the file\n");
        return 1;
    }
    // The encoding is told by the first scanline, as the decoder sees it.
    int width = 0, height = 0;
    const bool headerRead = readRgbeHeader(stream, width, height);
    uint8_t marker[4] = {};
    const bool markerRead = std::fread(marker, 1, 4, stream) == 4;
    std::rewind(stream);
    RgbeImage image;
    decodeRgbe(stream, image);
    std::fclose(stream);
    if (!headerRead) {
        std::fprintf(stderr, "no readable \"-Y height +X width\" resolution line\n");
        return 1;
    }
    if (image.width == 0) {
        std::fprintf(stderr, "resolution %d x %d refused (empty, too large, or far beyond the data)\n", width,
                     height);
        return 1;
    }
    const bool encoded = width >= 8 && width <= 0x7FFF && markerRead && marker[0] == 2 && marker[1] == 2 &&
                         marker[2] < 128;
    float low = FLT_MAX, high = -FLT_MAX;
    for (float value : image.pixels) {
        low = std::min(low, value);
        high = std::max(high, value);
    }
    std::printf("Radiance RGBE image, %d x %d, %s scanlines, top row first\n", image.width, image.height,
                encoded ? "run-length encoded" : "flat");
    std::printf("  values %g..%g\n", low, high);
    if (!image.complete)
        std::printf("  decoding stopped early (damaged or cut pixel data); the rest reads as zero\n");
    return 0;
}


// The game folder a data file belongs to: the part of its path before the
// last "Data/", where the game's relative names ("Data/Models/...") start;
// the working directory when the path has none.
std::string gameFolderOf(const std::string& path)
{
    const size_t at = path.rfind("Data/");
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

bool fileReadable(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

// The map through the game's own line handling: pieces by kind with their
// material slots, lights, bottles and the start, and what will go wrong.
int inspectMap(const std::string& path)
{
    std::string text;
    // The game reads at most 8 MiB of a map.
    const TextFileStatus status = readTextFileBounded(path.c_str(), 8u << 20, text);
    if (status == TextFileStatus::Unreadable) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    if (status == TextFileStatus::CutOff)
        std::printf("warning: larger than 8 MiB; the game reads only the first 8 MiB\n");
    auto world = std::make_unique<World>();
    std::vector<int> pieceLines;
    int lineNumber = 1;
    int warnings = 0;
    bool startGiven = false;
    forEachTextLine(text, [&](const char* line) {
        const int pieces = world->pieceCount;
        const int bottles = world->bottleTotal;
        if (!handleMapLine(*world, line)) {
            std::printf("warning: line %d: beyond the 1024-piece or 255-light limit, ignored\n", lineNumber);
            ++warnings;
        }
        if (world->pieceCount > pieces)
            pieceLines.push_back(lineNumber);
        if (world->bottleTotal > bottles && world->pieceCount == pieces) {
            std::printf("warning: line %d: counts a bottle that no piece carries; the last bottle can never "
                        "be collected\n", lineNumber);
            ++warnings;
        }
        startGiven = startGiven || contains(line, "PlayerStart");
        const size_t length = std::strlen(line);
        if (length > 0 && line[length - 1] == '\n')
            ++lineNumber;
    });

    // Pieces grouped by kind, in the order the map first names them.
    struct Group {
        const PieceKind* kind;
        int count = 0;
        bool slots[9] = {};
    };
    std::vector<Group> groups;
    for (int i = 0; i < world->pieceCount; ++i) {
        const LevelPiece& piece = world->pieces[i];
        const PieceKind* kind = findPieceKind(piece.name);
        if (!kind) {
            std::printf("warning: line %d: \"%s\" matches no kind of piece: it has no geometry\n", pieceLines[i],
                        piece.name);
            ++warnings;
        }
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group& g) { return g.kind == kind; });
        if (group == groups.end())
            group = groups.insert(groups.end(), Group{kind});
        ++group->count;
        group->slots[materialIndexFromName(piece.name)] = true;
    }
    std::printf("map %s: %d pieces, %d lights, %d bottles\n", path.c_str(), world->pieceCount, world->lights.lightCount,
                world->bottleTotal);
    int missing = 0;
    const std::string base = gameFolderOf(path);
    for (const Group& group : groups) {
        std::printf("  %-16s %4d  material slots", group.kind ? group.kind->keyword : "(no kind)", group.count);
        for (int slot = 0; slot < 9; ++slot)
            if (group.slots[slot])
                std::printf(" %d", slot);
        std::printf("\n");
        if (!group.kind)
            continue;
        for (const char* file : {group.kind->modelFile, group.kind->collisionModelFile}) {
            if (file && !fileReadable(base + file)) {
                std::printf("error: model file %s%s is missing\n", base.c_str(), file);
                ++missing;
            }
        }
    }
    for (int i = 0; i < world->lights.lightCount; ++i)
        std::printf("  light %3d at %g %g %g\n", i + 1, world->lights.lightPositions[i].x, world->lights.lightPositions[i].y,
                    world->lights.lightPositions[i].z);
    for (int i = 0; i < world->pieceCount; ++i)
        if (findPieceKind(world->pieces[i].name) && findPieceKind(world->pieces[i].name)->isCollectible)
            std::printf("  bottle at %g %g %g\n", world->pieces[i].position.x, world->pieces[i].position.y,
                        world->pieces[i].position.z);
    std::printf("  start at %g %g %g%s\n", world->playerStart.x, world->playerStart.y, world->playerStart.z,
                startGiven ? "" : " (no PlayerStart line)");
    std::printf("%d warning%s, %d missing file%s\n", warnings, warnings == 1 ? "" : "s", missing,
                missing == 1 ? "" : "s");
    return missing > 0 ? 1 : 0;
}

// A material through the game's own reader: its maps, shading mode and
// parameters, and whether each map can be read.
int inspectMaterial(const std::string& path)
{
    auto material = std::make_unique<Material>();
    if (!readMaterialFile(path, *material)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return 1;
    }
    const char* shading = material->shading == BlinnShading   ? "Blinn"
                          : material->shading == PhongShading ? "Phong"
                                                              : "none (drawn without a program)";
    std::printf("material %s: \"%s\", shading %d, %s\n", path.c_str(), material->name, material->shading,
                shading);
    std::printf("  shininess %g, tiling %g, parallax %g x %g, offset %g\n", material->shininess,
                material->tiling, material->parallaxSizeX, material->parallaxSizeY, material->parallaxOffset);
    const std::string base = gameFolderOf(path);
    int problems = 0;
    const std::pair<const char*, const char*> maps[] = {{"_DIFFUSE_MAP", material->diffuseMapPath},
                                                        {"_NORMAL_MAP", material->normalMapPath},
                                                        {"_HEIGHT_MAP", material->heightMapPath},
                                                        {"_SPECULAR_MAP", material->specularMapPath}};
    for (const auto& map : maps) {
        if (map.second[0] == '\0') {
            std::printf("error: %s is not given\n", map.first);
            ++problems;
            continue;
        }
        RgbeImage image;
        const std::string file = base + map.second;
        if (!loadRgbeFile(file.c_str(), image)) {
            std::printf("error: %s %s is missing\n", map.first, file.c_str());
            ++problems;
        } else if (image.width == 0) {
            std::printf("error: %s %s is unreadable (no usable resolution)\n", map.first, file.c_str());
            ++problems;
        } else {
            std::printf("  %-14s %s, %d x %d%s\n", map.first, map.second, image.width, image.height,
                        image.complete ? "" : " (damaged: partly black)");
        }
    }
    return problems > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: plemox-inspect <file>\n"
                             "  prints what the game reads from a 3DS, BMP, TGA, JPEG or RGBE file,\n"
                             "  the map (.txt) or a material (.plemoxmat)\n");
        return 2;
    }
    setMessageBoxResponder([](const MessageBoxRequest& request) {
        std::fprintf(stderr, "[%s] %s\n", request.caption.c_str(), request.text.c_str());
        if (request.caption == "Error" || request.caption == "ERROR")
            ++boxLog.errors;
        return static_cast<int>(IDOK);
    });
    const std::string name = argv[1];
    if (kindOf(name, {}) == Kind::Map)
        return inspectMap(name);
    if (kindOf(name, {}) == Kind::Material)
        return inspectMaterial(name);
    std::vector<uint8_t> bytes;
    if (!readFileBytes(name.c_str(), bytes)) {
        std::fprintf(stderr, "cannot open %s\n", name.c_str());
        return 1;
    }
    switch (kindOf(name, bytes)) {
    case Kind::Model: return inspectModel(name, bytes);
    case Kind::Bitmap: return inspectBitmap(bytes);
    case Kind::Targa: return inspectTarga(bytes);
    case Kind::Jpeg: return inspectJpeg(bytes);
    case Kind::Rgbe: return inspectRgbe(bytes);
    case Kind::Map:
    case Kind::Material:
    case Kind::Unknown: break;
    }
    std::fprintf(stderr, "%s: not a 3DS, BMP, TGA, JPEG or RGBE file\n", name.c_str());
    return 2;
}
