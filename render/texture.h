// Pictures uploaded as OpenGL textures: ordinary image files (BMP, TGA,
// JPEG) through their decoders, and Radiance RGBE material maps as floats.
#pragma once

// Decodes the file (decoder chosen by name) and uploads it; true when a
// texture was made. The new texture stays bound.
bool loadTexture(unsigned& texture, const char* fileName, bool mipmaps);

// Uploads an RGBE file as a texture; false, with texture untouched, when the
// file cannot be opened.
bool loadRgbeTexture(unsigned& texture, const char* fileName, bool mipmaps);
