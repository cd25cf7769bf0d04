// Radiance RGBE pictures: three 8-bit mantissas sharing an 8-bit exponent,
// flat or run-length encoded scanlines, read into floats.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

void rgbeToFloat(const uint8_t rgbe[4], float& red, float& green, float& blue);
bool readRgbeHeader(FILE* file, int& width, int& height);
bool readRgbePixels(FILE* file, float* destination, int count);
bool readRgbePixelsRle(FILE* file, float* destination, int width, int height);

// Decoded picture: width * height * 3 floats, top scanline first. Empty
// (0 x 0) when the header has no readable resolution line.
struct RgbeImage {
    int width = 0;
    int height = 0;
    std::vector<float> pixels;
    // True when every scanline was decoded; damaged or cut data leaves the
    // rest of the pixels zero and this false.
    bool complete = false;
    // The size a header asked for when the picture was refused as larger
    // than the image limits (or memory) allow; 0 otherwise.
    int refusedWidth = 0;
    int refusedHeight = 0;
};

// False when fileName is null or the file does not open.
bool loadRgbeFile(const char* fileName, RgbeImage& image);
// Decodes from an open stream (files and in-memory streams alike).
void decodeRgbe(FILE* file, RgbeImage& image);
