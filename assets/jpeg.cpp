// JPEG pictures through libjpeg's decompression interface, with an error
// handler that returns to the loader instead of ending the process.
#include "assets/image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <exception>

#include <jpeglib.h>
#include <jerror.h>

#include "core/bytereader.h"
#include "platform/platform.h"

namespace {

// libjpeg's error manager with a way back into the decoder instead of exiting.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    jmp_buf returnPoint;
};

// Jumps back into the decoder instead of ending the process.
void jpegErrorExit(j_common_ptr info)
{
    JpegErrorManager* manager = reinterpret_cast<JpegErrorManager*>(info->err);
    std::longjmp(manager->returnPoint, 1);
}

// The game has no console: libjpeg's texts are not printed.
void jpegOutputMessage(j_common_ptr) {}

// Turns C, M, Y, K pixels into R, G, B in place (the block shrinks to three
// bytes a pixel). Adobe's files store the inks inverted (255 is no ink).
void cmykToRgb(std::vector<uint8_t>& pixels, bool inverted)
{
    const size_t count = pixels.size() / 4;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t in[4] = {pixels[4 * i], pixels[4 * i + 1], pixels[4 * i + 2], pixels[4 * i + 3]};
        const unsigned k = inverted ? in[3] : 255u - in[3];
        for (int c = 0; c < 3; ++c) {
            const unsigned ink = inverted ? in[c] : 255u - in[c];
            pixels[3 * i + c] = static_cast<uint8_t>((ink * k + 127) / 255);
        }
    }
    pixels.resize(count * 3);
}

// libjpeg's working memory for one picture; larger claims are damage.
constexpr long jpegMemoryLimit = 256L * 1024 * 1024;

// Runs libjpeg over the bytes. Nothing with a destructor lives in this frame,
// so the jump back from the error manager skips no clean-up; rows go into the
// caller's block, top row first, growing as they are decoded. A picture
// beyond the image limits is refused before its first row.
bool runJpegDecoder(const uint8_t* data, size_t size, jpeg_decompress_struct& info,
                    JpegErrorManager& errors, std::vector<uint8_t>& rows, int& width,
                    int& height, int& channels)
{
    info.err = jpeg_std_error(&errors.standard);
    // Warnings keep libjpeg's own bookkeeping and recovery (a cut stream is
    // filled grey, stray bytes before a marker are skipped); only a fatal
    // error comes back here.
    errors.standard.error_exit = jpegErrorExit;
    errors.standard.output_message = jpegOutputMessage;
    if (setjmp(errors.returnPoint)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = jpegMemoryLimit;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    if (!imageSideFits(info.image_width) || !imageSideFits(info.image_height)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Four-component files hold ink, not light: take them as CMYK and turn
    // them into RGB afterwards.
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK)
        info.out_color_space = JCS_CMYK;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    channels = info.output_components;
    if (!imageFits(width, height, static_cast<uint64_t>(channels))) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    try {
        rows.reserve(rowBytes * static_cast<size_t>(height));
        while (info.output_scanline < info.output_height) {
            const size_t done = info.output_scanline;
            rows.resize((done + 1) * rowBytes);
            JSAMPROW row = rows.data() + done * rowBytes;
            jpeg_read_scanlines(&info, &row, 1);
        }
    } catch (const std::exception&) {  // std::bad_alloc or std::length_error
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.out_color_space == JCS_CMYK && channels == 4) {
        cmykToRgb(rows, info.saw_Adobe_marker != 0);
        channels = 3;
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

// libjpeg with its default output (RGB for colour, one grey channel for grey
// files; CMYK and YCCK files are turned into RGB). The block holds the
// picture bottom row first. A damaged stream, or a picture beyond the image
// limits, shows "Can't load JPG image!" and gives no picture.
std::unique_ptr<Image> decodeJpeg(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> rows;
    int width = 0, height = 0, channels = 0;
    jpeg_decompress_struct info;
    JpegErrorManager errors;
    if (!data || size == 0 ||
        !runJpegDecoder(data, size, info, errors, rows, width, height, channels)) {
        showMessageBox("Can't load JPG image!", "ERROR", MB_OK | MB_ICONINFORMATION,
                       BoxOwner::GameWindow);
        return nullptr;
    }
    // Turned bottom row first in place, so the picture is held only once.
    const size_t rowBytes = static_cast<size_t>(width) * channels;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * top),
                         rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * (top + 1)),
                         rows.begin() + static_cast<std::ptrdiff_t>(rowBytes * bottom));
    auto image = std::make_unique<Image>();
    image->channels = channels;
    image->width = width;
    image->height = height;
    image->pixels = std::move(rows);
    return image;
}

// Reads the file and decodes it; a file that does not open is told.
std::unique_ptr<Image> loadJpegImage(const char* fileName)
{
    std::vector<uint8_t> bytes;
    if (!readFileBytes(fileName, bytes)) {
        showMessageBox("Can't load JPG image!", "ERROR", MB_OK | MB_ICONINFORMATION,
                       BoxOwner::GameWindow);
        return nullptr;
    }
    return decodeJpeg(bytes.data(), bytes.size());
}
