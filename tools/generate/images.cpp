#include "tools/generate/images.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>

#include "assets/writers.h"
#include "platform/platform.h"
#include "tools/generate/models.h"

const char* const glyphFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf";
const char* const titleFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf";

void Picture::blend(int x, int y, float r, float g, float b, float a)
{
    if (x < 0 || y < 0 || x >= width || y >= height || a <= 0.0f)
        return;
    a = std::min(a, 1.0f);
    uint8_t* p = &rgb[(static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3];
    const float colour[3] = {r, g, b};
    for (int c = 0; c < 3; ++c) {
        const float v = static_cast<float>(p[c]) * (1.0f - a) + colour[c] * 255.0f * a;
        p[c] = static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L));
    }
}

std::vector<uint8_t> Picture::bottomUp() const
{
    std::vector<uint8_t> out;
    out.reserve(rgb.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = height - 1; y >= 0; --y)
        out.insert(out.end(), rgb.begin() + static_cast<std::ptrdiff_t>(row * static_cast<size_t>(y)),
                   rgb.begin() + static_cast<std::ptrdiff_t>(row * (static_cast<size_t>(y) + 1)));
    return out;
}

namespace {

// One FreeType face, released with the object.
class Face {
public:
    explicit Face(const char* path)
    {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return;
        }
        if (FT_New_Face(library_, path, 0, &face_) != 0)
            face_ = nullptr;
    }
    ~Face()
    {
        if (face_)
            FT_Done_Face(face_);
        if (library_)
            FT_Done_FreeType(library_);
    }
    Face(const Face&) = delete;
    Face& operator=(const Face&) = delete;

    bool ok() const { return face_ != nullptr; }

    // Renders one character with its pen at (x, baseline), `size` pixels
    // high and `stretch` times as wide, scaled to at most maxWidth pixels of
    // ink when maxWidth > 0. Returns the advance in pixels. With
    // `picture` null only measures.
    float draw(Picture* picture, char32_t code, float x, float baseline, int size, float stretch, float maxWidth,
               const float colour[3], float alpha = 1.0f)
    {
        if (!face_)
            return 0.0f;
        FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(size));
        float scale = stretch;
        if (maxWidth > 0.0f) {
            setTransform(stretch, 0.0f);
            if (FT_Load_Char(face_, code, FT_LOAD_DEFAULT) == 0) {
                const float ink = static_cast<float>(face_->glyph->metrics.width) / 64.0f;
                if (ink > maxWidth)
                    scale = stretch * maxWidth / ink;
            }
        }
        const float whole = std::floor(x);
        setTransform(scale, x - whole);
        if (FT_Load_Char(face_, code, FT_LOAD_RENDER) != 0)
            return 0.0f;
        const FT_GlyphSlot slot = face_->glyph;
        if (picture) {
            const FT_Bitmap& bitmap = slot->bitmap;
            for (unsigned row = 0; row < bitmap.rows; ++row) {
                for (unsigned column = 0; column < bitmap.width; ++column) {
                    const uint8_t coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
                    picture->blend(static_cast<int>(whole) + slot->bitmap_left + static_cast<int>(column),
                                   static_cast<int>(baseline) - slot->bitmap_top + static_cast<int>(row),
                                   colour[0], colour[1], colour[2], alpha * static_cast<float>(coverage) / 255.0f);
                }
            }
        }
        return static_cast<float>(slot->advance.x) / 64.0f;
    }

    // Width of a text in pixels.
    float measure(const std::u32string& text, int size, float stretch)
    {
        const float none[3] = {0, 0, 0};
        float width = 0.0f;
        for (char32_t c : text)
            width += draw(nullptr, c, width, 0.0f, size, stretch, 0.0f, none);
        return width;
    }

    // Draws a text with its pen starting at x.
    void text(Picture& picture, const std::u32string& text, float x, float baseline, int size, float stretch,
              const float colour[3], float alpha = 1.0f)
    {
        for (char32_t c : text)
            x += draw(&picture, c, x, baseline, size, stretch, 0.0f, colour, alpha);
    }

private:
    void setTransform(float stretch, float shift)
    {
        FT_Matrix matrix;
        matrix.xx = static_cast<FT_Fixed>(std::lround(stretch * 65536.0f));
        matrix.xy = 0;
        matrix.yx = 0;
        matrix.yy = 0x10000;
        FT_Vector delta;
        delta.x = static_cast<FT_Pos>(std::lround(shift * 64.0f));
        delta.y = 0;
        FT_Set_Transform(face_, &matrix, &delta);
    }

    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// The Unicode character of a Windows-1250 byte; 0 for the unassigned ones.
char32_t windows1250Character(uint8_t byte)
{
    const std::string utf8 = windows1250ToUtf8(std::string(1, static_cast<char>(byte)));
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    char32_t code = 0;
    if (utf8.size() == 1)
        code = s[0];
    else if (utf8.size() == 2)
        code = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
    else if (utf8.size() == 3)
        code = ((s[0] & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
    return code == 0xFFFD ? 0 : code;
}

// A plain ASCII text as characters for the face.
std::u32string ascii(const std::string& text)
{
    return std::u32string(text.begin(), text.end());
}

}  // namespace

bool renderFont(int size, Picture& out)
{
    Face face(glyphFontPath);
    if (!face.ok())
        return false;
    out = Picture(size, size);
    // Each cell is shown 16 pixels square and the pen moves 10 pixels, so
    // glyphs stay narrow (ink at most 55 % of a cell) and start at the cell's
    // left edge; the baseline leaves a fifth of the cell for descenders.
    const int cell = size / 16;
    const int pixels = cell * 3 / 4;
    const float white[3] = {1.0f, 0.96f, 0.88f};
    for (int glyph = 0; glyph < 224; ++glyph) {
        const char32_t code = windows1250Character(static_cast<uint8_t>(glyph + 32));
        if (code == 0 || code == ' ' || code == 0x7F || code == 0xA0)
            continue;
        const int column = glyph % 16, row = glyph / 16;
        const float left = static_cast<float>(column * cell) + static_cast<float>(cell) / 32.0f;
        const float baseline = static_cast<float>(row * cell + cell) - static_cast<float>(cell) * 0.22f;
        face.draw(&out, code, left, baseline, pixels, 1.0f, static_cast<float>(cell) * 0.55f, white);
    }
    return true;
}

bool renderButton(const std::string& caption, Picture& out)
{
    Face face(titleFontPath);
    if (!face.ok())
        return false;
    out = Picture(256, 64);
    // A dark stone plate with a bevelled rim; the top and bottom rows are the
    // same colour, since the button's texture repeats across that seam.
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const float edge = static_cast<float>(std::min(std::min(x, out.width - 1 - x), std::min(y, out.height - 1 - y)));
            const float t = static_cast<float>(y) / static_cast<float>(out.height - 1);
            float r = 0.16f + 0.05f * (1.0f - t), g = 0.12f + 0.04f * (1.0f - t), b = 0.09f + 0.03f * (1.0f - t);
            if (edge < 1.0f) {
                r = 0.05f, g = 0.04f, b = 0.03f;
            } else if (edge < 4.0f) {
                r = 0.55f, g = 0.42f, b = 0.24f;
            } else if (edge < 6.0f) {
                r = 0.08f, g = 0.06f, b = 0.04f;
            }
            out.blend(x, y, r, g, b, 1.0f);
        }
    }
    // The caption, 1.33 times as wide as drawn so it looks right at 150 x 50.
    const std::u32string text = ascii(caption);
    const float stretch = 1.33f;
    int size = 30;
    while (size > 12 && face.measure(text, size, stretch) > 220.0f)
        --size;
    const float width = face.measure(text, size, stretch);
    const float x = (256.0f - width) * 0.5f;
    const float baseline = 32.0f + static_cast<float>(size) * 0.36f;
    const float shadow[3] = {0.0f, 0.0f, 0.0f};
    const float gold[3] = {0.98f, 0.80f, 0.45f};
    face.text(out, text, x + 2.0f, baseline + 2.0f, size, stretch, shadow, 0.8f);
    face.text(out, text, x, baseline, size, stretch, gold);
    return true;
}

bool renderLogo(Picture& out)
{
    Face title(titleFontPath);
    Face small(glyphFontPath);
    if (!title.ok() || !small.ok())
        return false;
    out = Picture(256, 256);
    // The window cuts off the top eighth of the picture, so everything sits
    // below it. A droplet of light above the name.
    const float cx = 128.0f, cy = 92.0f;
    for (int y = 0; y < out.height; ++y) {
        for (int x = 0; x < out.width; ++x) {
            const float dx = static_cast<float>(x) - cx, dy = static_cast<float>(y) - cy;
            // Tear drop: a circle below with a point above.
            const float radius = dy > 0.0f ? 26.0f : 26.0f * std::max(0.0f, 1.0f + dy / 52.0f);
            const float d = std::sqrt(dx * dx + (dy > 0.0f ? dy * dy : 0.0f));
            const float inside = std::clamp(radius - (dy > 0.0f ? d : std::fabs(dx)), 0.0f, 1.5f) / 1.5f;
            const float glow = std::exp(-(dx * dx + dy * dy) / 2200.0f) * 0.35f;
            const float shade = 0.55f + 0.45f * std::clamp(1.0f - (dx + 14.0f) * (dx + 14.0f) / 900.0f -
                                                               (dy - 6.0f) * (dy - 6.0f) / 900.0f,
                                                           0.0f, 1.0f);
            out.blend(x, y, 0.30f, 0.55f, 0.95f, glow);
            out.blend(x, y, 0.45f * shade, 0.75f * shade, 1.0f * shade, inside);
        }
    }
    const float white[3] = {0.95f, 0.95f, 1.0f};
    const float blue[3] = {0.55f, 0.75f, 1.0f};
    const std::u32string name = ascii("PLEMOX");
    const float nameWidth = title.measure(name, 46, 1.0f);
    title.text(out, name, (256.0f - nameWidth) * 0.5f, 186.0f, 46, 1.0f, white);
    const std::u32string line = ascii("FLUID ENGINE");
    const float lineWidth = small.measure(line, 22, 1.1f);
    small.text(out, line, (256.0f - lineWidth) * 0.5f, 218.0f, 22, 1.1f, blue);
    return true;
}

Picture renderGlow(int size)
{
    Picture out(size, size);
    const float centre = (static_cast<float>(size) - 1.0f) * 0.5f;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const float dx = static_cast<float>(x) - centre, dy = static_cast<float>(y) - centre;
            const float r = std::sqrt(dx * dx + dy * dy) / (centre + 0.5f);
            const float fall = std::max(0.0f, 1.0f - r);
            const float intensity = fall * fall * (0.6f + 0.4f * fall);
            out.blend(x, y, 0.95f, 0.72f, 0.42f, intensity);
        }
    }
    return out;
}

bool writeImages(const std::string& dataDir)
{
    bool ok = true;
    Picture font(512, 512);
    ok = renderFont(512, font) && ok;
    ok = saveFile(dataPath(dataDir, "Data/Font.bmp"), writeBmp24(font.width, font.height, font.bottomUp())) && ok;
    const std::pair<const char*, const char*> buttons[3] = {
        {"Data/Textures/Button/NewGame.bmp", "New Game"},
        {"Data/Textures/Button/Authors.bmp", "Authors"},
        {"Data/Textures/Button/QuitGame.bmp", "Quit Game"},
    };
    for (const auto& [file, caption] : buttons) {
        Picture button(256, 64);
        ok = renderButton(caption, button) && ok;
        ok = saveFile(dataPath(dataDir, file), writeBmp24(button.width, button.height, button.bottomUp())) && ok;
    }
    Picture logo(256, 256);
    ok = renderLogo(logo) && ok;
    ok = saveFile(dataPath(dataDir, "Data/EngineLogo.bmp"), writeBmp24(logo.width, logo.height, logo.bottomUp())) && ok;
    const Picture glow = renderGlow(64);
    ok = saveFile(dataPath(dataDir, "Data/Textures/LensFlares/Glow.tga"), writeTga(glow.width, glow.height, 3, glow.rgb)) &&
         ok;
    return ok;
}
