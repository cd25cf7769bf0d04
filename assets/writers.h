// Writers for the file formats the game reads: 3DS models, RGBE pictures,
// BMP and TGA images. The tests build their inputs with them and the content
// generator makes the shipped data with them. Each returns the file's bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/model3ds.h"

// One mesh object to write: positions in file axes (z up), one texture
// coordinate per vertex (may be empty), triangles as vertex indices.
struct MeshObject {
    std::string name;
    std::vector<Vector3> vertices;
    std::vector<TexCoord> texCoords;
    std::vector<Face3DS> faces;
};

// A 3DS file: main chunk, version chunk, editor chunk with its mesh-version
// chunk, one named object with a triangle mesh per MeshObject.
std::string write3ds(const std::vector<MeshObject>& objects, uint32_t version = 3);

// A Radiance RGBE file with header "#?RADIANCE", the FORMAT line, the empty
// line and "-Y height +X width"; rgb holds width * height * 3 floats, top row
// first. runLength encodes every scanline that can be encoded.
std::string writeRgbe(int width, int height, const std::vector<float>& rgb, bool runLength = true);

// A 24-bit uncompressed BMP with the 14-byte file header and a 40-byte
// information header; rgb holds width * height * 3 bytes, bottom row first.
std::string writeBmp24(int width, int height, const std::vector<uint8_t>& rgb);

// A true-colour TGA (24 or 32 bits); pixels hold R, G, B (and A) per pixel in
// the row order they should be stored. runLength writes image type 10.
std::string writeTga(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                     bool runLength = false);

// A baseline (or progressive) JPEG through libjpeg's compression interface:
// components 1 (grey) or 3 (R, G, B); rows holds the picture top row first.
std::string writeJpeg(int width, int height, int components, const std::vector<uint8_t>& rows,
                      int quality = 100, bool progressive = false);

// Writes bytes to a file, creating its folders; false on failure.
bool saveFile(const std::string& path, const std::string& bytes);
