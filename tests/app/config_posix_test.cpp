#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/config.h"
#include "tests/support/test_support.h"

namespace {

// Runs the body in a child process without root's rights, so a file without
// read permission really cannot be read; true when the body returned true.
bool runUnprivileged(const std::function<bool()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(body() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(Config, AnExistingFileIsNeverReplaced)
{
    const std::string kept = "PLEMOX_WINDOW_WIDTH 800 \n";
    // A folder of that name, a file without read permission, and a file in a
    // folder that cannot be searched: it exists but cannot even be examined.
    for (const int setting : {0, 1, 2}) {
        SCOPED_TRACE(setting == 0 ? "folder of that name" : setting == 1 ? "file without read permission"
                                                                         : "folder without search permission");
        const std::string dir = makeScratchDir("config");
        std::filesystem::create_directories(dir + "/Data/Engine");
        for (const char* sub : {"", "/Data", "/Data/Engine"})
            chmod((dir + sub).c_str(), 0777);
        const std::string path = dir + "/Data/Engine/Initialization.ini";
        if (setting == 0) {
            std::filesystem::create_directories(path);
        } else {
            writeFile(path, kept);
            chmod(path.c_str(), setting == 1 ? 0222 : 0666);
            if (setting == 2)
                chmod((dir + "/Data/Engine").c_str(), 0666);
        }
        const bool childOk = runUnprivileged([&] {
            ScopedWorkingDirectory cwd(dir);
            BoxRecorder boxes;
            config = EngineConfig{};
            loadEngineConfig();
            return config.windowWidth == 640 && config.windowHeight == 480 && config.bitsPerPixel == 32 &&
                   readMultisampleSetting() == 1 && boxes.boxes().size() == 1 &&
                   boxes.boxes()[0].caption == "Warning" &&
                   boxes.boxes()[0].text.find("cannot be read") != std::string::npos;
        });
        EXPECT_TRUE(childOk) << "defaults in effect and one warning";
        chmod((dir + "/Data/Engine").c_str(), 0777);
        if (std::filesystem::is_directory(path)) {
            EXPECT_TRUE(std::filesystem::is_empty(path));
        } else {
            chmod(path.c_str(), 0644);
            EXPECT_EQ(readFile(path), kept);
        }
    }
}
