// Pictures uploaded as OpenGL textures: ordinary image files (BMP, TGA,
// JPEG) through their decoders, and Radiance RGBE material maps as floats.
#pragma once

// Decodes the file (decoder chosen by name) and uploads it; true when a
// texture was made. The new texture stays bound.
bool loadTexture(unsigned& texture, const char* fileName, bool mipmaps);

// Uploads an RGBE file as a texture, with the anisotropy of glCaps; false,
// with texture untouched, when the file cannot be opened. A picture refused
// as too large is told in a box and made a 0 x 0 texture, as damage is.
bool loadRgbeTexture(unsigned& texture, const char* fileName, bool mipmaps);
