#include "app/config.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "core/textlines.h"
#include "platform/platform.h"

EngineConfig config;

const char* const engineConfigPath = "Data/Engine/Initialization.ini";

namespace {

void parseKey(const char* line, const char* key, const char* format, int& value)
{
    if (!std::strstr(line, key))
        return;
    int parsed = 0;
    if (std::sscanf(line, format, &parsed) == 1)
        value = parsed;
}

// Far above any real configuration; a larger file (or an endless device) is
// read only this far.
constexpr size_t configReadLimit = 1u << 20;

// What the file system says is at the path, without opening it: an unreadable
// file or a folder of that name exists and must not be replaced.
bool configPathExists()
{
    struct stat info;
    return ::stat(engineConfigPath, &info) == 0 || errno != ENOENT;
}

bool createDefaultFile()
{
    FILE* file = std::fopen(engineConfigPath, "wt");
    if (!file)
        return false;
    std::fputs("PLEMOX_WINDOW_WIDTH 1024 \n", file);
    std::fputs("PLEMOX_WINDOW_HEIGHT 768 \n", file);
    std::fputs("PLEMOX_WINDOW_BITSPERPIXEL 32 \n", file);
    std::fputs("PLEMOX_OPENGL_MULTISAMPLE_VALUE 1 \n", file);
    return std::fclose(file) == 0;
}

}  // namespace

void applyConfigText(const std::string& text, EngineConfig& values)
{
    forEachTextLine(text, [&](const char* line) {
        parseKey(line, "PLEMOX_WINDOW_WIDTH", "PLEMOX_WINDOW_WIDTH %d ", values.windowWidth);
        parseKey(line, "PLEMOX_WINDOW_HEIGHT", "PLEMOX_WINDOW_HEIGHT %d ", values.windowHeight);
        parseKey(line, "PLEMOX_WINDOW_BITSPERPIXEL", "PLEMOX_WINDOW_BITSPERPIXEL %d ",
                 values.bitsPerPixel);
        parseKey(line, "PLEMOX_TEXTURE_ANISOTROPY", "PLEMOX_TEXTURE_ANISOTROPY %d ", values.textureAnisotropy);
    });
}

int multisampleFromText(const std::string& text)
{
    int samples = 1;
    forEachTextLine(text, [&](const char* line) {
        parseKey(line, "PLEMOX_OPENGL_MULTISAMPLE_VALUE", "PLEMOX_OPENGL_MULTISAMPLE_VALUE %d ",
                 samples);
    });
    return samples;
}

void loadEngineConfig()
{
    const bool existed = configPathExists();
    if (!existed && !createDefaultFile()) {
        showMessageBox("The engine configuration \"Data/Engine/Initialization.ini\" can be neither read "
                       "nor created.\nThe game runs with a window of 640 x 480 at 32 bits.",
                       "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }

    std::string text;
    const TextFileStatus status = readTextFileBounded(engineConfigPath, configReadLimit, text);
    if (status == TextFileStatus::Unreadable) {
        showMessageBox("The engine configuration \"Data/Engine/Initialization.ini\" exists but cannot be "
                       "read; it is left as it is.\nThe game runs with a window of 640 x 480 at 32 bits "
                       "and 1 sample per pixel.",
                       "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (status == TextFileStatus::CutOff)
        showMessageBox("The engine configuration \"Data/Engine/Initialization.ini\" is larger than 1 MiB; "
                       "only its first 1 MiB is read.",
                       "Warning", MB_OK | MB_ICONEXCLAMATION);
    applyConfigText(text, config);
}

int readMultisampleSetting()
{
    std::string text;
    if (readTextFileBounded(engineConfigPath, configReadLimit, text) == TextFileStatus::Unreadable)
        return 1;
    return multisampleFromText(text);
}
