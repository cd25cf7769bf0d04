// plemox-generate <dataDir> [<iconFile>]: writes every binary file of the
// game's Data tree (models, material maps, images, music) into dataDir, and
// the Windows program's icon into iconFile when one is named.
// plemox-generate --icons <themeDir>: writes only the PNG icons of the Linux
// package into an icon theme's folder (<size>x<size>/apps/plemox.png).
// The output is the same, byte for byte, on every run.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/generate/icon.h"
#include "tools/generate/images.h"
#include "tools/generate/models.h"
#include "tools/generate/music.h"
#include "tools/generate/textures.h"

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        if (!writePngIcons(argv[2], "plemox")) {
            std::fprintf(stderr, "plemox-generate: cannot write the icons into %s\n", argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: plemox-generate <dataDir> [<iconFile>]\n"
                             "       plemox-generate --icons <themeDir>\n");
        return 2;
    }
    const std::string dataDir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dataDir, error);
    if (!std::filesystem::is_directory(dataDir)) {
        std::fprintf(stderr, "plemox-generate: cannot make the folder %s\n", dataDir.c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    bool ok = true;
    std::printf("models\n");
    ok = writeModels(dataDir) && ok;
    std::printf("material maps\n");
    ok = writeMaterialMaps(dataDir) && ok;
    std::printf("images\n");
    ok = writeImages(dataDir) && ok;
    std::printf("music\n");
    ok = writeMusic(dataDir) && ok;
    // The Windows program's icon, where the Windows build asks for it (the
    // resource compiler takes it from there; the game never reads it).
    if (argc == 3) {
        std::printf("icon\n");
        ok = writeIcon(argv[2]) && ok;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("generated in %.1f s\n", seconds);
    if (!ok)
        std::fprintf(stderr, "plemox-generate: some files could not be written\n");
    return ok ? 0 : 1;
}
