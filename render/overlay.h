// Two-dimensional drawing over the picture: the overlay grid is the
// configured window size, (0, 0) at the bottom left, whatever size the window
// has been dragged to. The window code hands the size down when it makes the
// window; everything drawn in window pixels uses it.
#pragma once

struct OverlayArea {
    int width = 640;
    int height = 480;
};

extern OverlayArea overlayArea;

// Pushes an orthographic projection over the overlay grid (near -1, far 1)
// and an identity model-view matrix; the model-view matrix stays selected.
void pushOverlayProjection();
// Pops both matrices again; the model-view matrix stays selected.
void popOverlayProjection();

// Switches 2D texturing off on texture units first to 3 (first is 0 or 1);
// the last unit switched stays active.
void disableTextureUnits(int first);
