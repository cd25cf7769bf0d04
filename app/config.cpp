#include "app/config.h"

#include <cstdio>
#include <cstring>

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

bool readWholeFile(const char* path, std::string& text)
{
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return true;
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
    FILE* existing = std::fopen(engineConfigPath, "rt");
    if (existing)
        std::fclose(existing);
    else
        createDefaultFile();

    std::string text;
    if (!readWholeFile(engineConfigPath, text)) {
        showMessageBox("The engine configuration \"Data/Engine/Initialization.ini\" can be neither read "
                       "nor created.\nThe game runs with a window of 640 x 480 at 32 bits.",
                       "Warning", MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    applyConfigText(text, config);
}

int readMultisampleSetting()
{
    std::string text;
    if (!readWholeFile(engineConfigPath, text))
        return 1;
    return multisampleFromText(text);
}
