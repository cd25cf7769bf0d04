#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/test_support.h"
#include "tests/world/world_fixtures.h"

TEST(MapLines, PieceLinesFillTheirSlotsAndTakeTheMaterialFromTheName)
{
    auto world = freshWorld();
    EXPECT_TRUE(handleMapLine(*world, "static Table third 10 0 20 seventh 0 90 0\n"));
    // Fields that do not convert leave what the slot held (zero in a fresh one).
    EXPECT_TRUE(handleMapLine(*world, "Room Room03 x 1 2 oops 5 6 7"));
    EXPECT_TRUE(handleMapLine(*world, "Corridor"));
    for (const char* line : {"Room Room02mat05 x 0 0 0 y 0 0 0", "Room Room02mat09 x 0 0 0 y 0 0 0",
                             "Room Room02 mat05 0 0 0 mat07 0 0 0", "static Stonemat03mat01 x 0 0 0 y 0 0 0"})
        handleMapLine(*world, line);
    ASSERT_EQ(world->pieceCount, 7);
    EXPECT_STREQ(world->pieces[0].name, "Table");
    expectVector(world->pieces[0].position, 10, 0, 20);
    expectVector(world->pieces[0].rotation, 0, 90, 0);
    expectVector(world->pieces[1].position, 1, 2, 0);
    expectVector(world->pieces[1].rotation, 0, 0, 0);
    EXPECT_STREQ(world->pieces[2].name, "");
    const int materials[7] = {0, 0, 0, 5, 0, 0, 1};  // only the name is searched, mat01 upwards
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(world->pieces[i].materialIndex, materials[i]) << world->pieces[i].name;
    EXPECT_TRUE(world->bottleTotal == 0 && world->lights.lightCount == 0);

    // Kinds are found by the first table row the name contains.
    EXPECT_STREQ(findPieceKind("Room02mat05")->keyword, "Room02");
    EXPECT_STREQ(findPieceKind("xRoom01CorridorEnd")->keyword, "CorridorEnd") << "the earlier row wins";
    EXPECT_STREQ(findPieceKind("TableGorvik")->keyword, "Table");
    EXPECT_EQ(findPieceKind("Hall"), nullptr);
}

TEST(MapLines, TheFourTestsAreIndependent)
{
    auto world = freshWorld();
    handleMapLine(*world, "static Gorvik x 5 0 5 y 0 0 0");
    EXPECT_EQ(world->bottleTotal, 1);
    // A light line naming a bottle counts one that can never be collected.
    handleMapLine(*world, "Light Gorvik x 5 6 7 y 1 2 3");
    EXPECT_TRUE(world->pieceCount == 1 && world->bottleTotal == 2);
    ASSERT_EQ(world->lights.lightCount, 1);
    expectVector(world->lights.lightPositions[0], 5, 6, 7);
    handleMapLine(*world, "PlayerStart a b 1 2 3 c 4 5 6");
    expectVector(world->playerStart, 1, 2, 3);
    // Case matters, and a line with no keyword does nothing.
    for (const char* line : {"STATIC table x 1 1 1 y 0 0 0", "light x y 1 1 1", ""})
        handleMapLine(*world, line);
    EXPECT_TRUE(world->pieceCount == 1 && world->lights.lightCount == 1);
    // A torch whose line also says Light places a piece and a light.
    handleMapLine(*world, "static TorchLight x 9 8 7 y 0 0 0");
    EXPECT_EQ(world->pieceCount, 2);
    ASSERT_EQ(world->lights.lightCount, 2);
    expectVector(world->lights.lightPositions[1], 9, 8, 7);
}

TEST(MapLines, LongWordsAreCutWithoutShiftingFields)
{
    auto world = freshWorld();
    const std::string N(100, 'N');
    handleMapLine(*world, ("static " + N + " " + std::string(70, 'w') + " 1 2 3 " + std::string(60, 'v') + " 4 5 6").c_str());
    // A 70-character kind word: cut, and the name is still the second word.
    handleMapLine(*world, (std::string(64, 's') + "static Chair x 7 8 9 y 1 1 1").c_str());
    // One word filling the whole 254-character buffer: dropped, no name.
    handleMapLine(*world, ("static" + std::string(248, 'R')).c_str());
    handleMapLine(*world, ("x " + std::string(248, 'R') + "Room").c_str());
    // Handed a name longer than its slot, the parser cuts it at 254.
    handleMapLine(*world, ("Room " + std::string(300, 'R') + " third 1 2 3").c_str());
    ASSERT_EQ(world->pieceCount, 5);
    EXPECT_EQ(std::string(world->pieces[0].name), N);
    expectVector(world->pieces[0].position, 1, 2, 3);
    expectVector(world->pieces[0].rotation, 4, 5, 6);
    EXPECT_STREQ(world->pieces[1].name, "Chair");
    expectVector(world->pieces[1].position, 7, 8, 9);
    EXPECT_STREQ(world->pieces[2].name, "");
    EXPECT_EQ(std::strlen(world->pieces[3].name), 252u);
    EXPECT_EQ(std::string(world->pieces[4].name), std::string(254, 'R'));
    expectVector(world->pieces[4].position, 1, 2, 3);
}

TEST(MapLines, PiecesAndLightsBeyondTheTablesAreIgnored)
{
    auto world = freshWorld();
    for (int i = 0; i < maxPieces; ++i)
        ASSERT_TRUE(handleMapLine(*world, "static Crate x 1 1 1 y 0 0 0"));
    EXPECT_FALSE(handleMapLine(*world, "static Gorvik x 2 2 2 y 0 0 0"));
    EXPECT_EQ(world->pieceCount, maxPieces);
    EXPECT_EQ(world->bottleTotal, 0) << "a bottle that was not placed is not counted";
    for (int i = 0; i < maxLights; ++i)
        ASSERT_TRUE(handleMapLine(*world, "Light a b 1 2 3"));
    EXPECT_FALSE(handleMapLine(*world, "Light a b 4 5 6"));
    EXPECT_EQ(world->lights.lightCount, maxLights);
    expectVector(world->lights.lightPositions[maxLights - 1], 1, 2, 3);
    // Past both limits a light line can still count a bottle and move the start.
    EXPECT_FALSE(handleMapLine(*world, "Light Gorvik PlayerStart 3 3 3"));
    EXPECT_EQ(world->bottleTotal, 1);
    expectVector(world->playerStart, 3, 3, 3);
}

class LevelFile : public ::testing::Test {
protected:
    LevelFile() : dir(makeScratchDir("world-map")), cwd(dir) { takeQuitMessage(); }
    ~LevelFile() override { takeQuitMessage(); }

    // Loads a map made only of lines that need no OpenGL: lights, the start
    // and pieces whose names match no kind.
    std::unique_ptr<World> load(const std::string& text)
    {
        writeFile("Data/Maps/Map.txt", text);
        auto world = freshWorld();
        world->loadLevel("Data/Maps/Map.txt");
        return world;
    }

    std::string dir;
    ScopedWorkingDirectory cwd;
    BoxRecorder boxes;
};

TEST_F(LevelFile, MissingMapIsToldAndEndsTheGame)
{
    auto world = freshWorld();
    world->loadLevel("Data/Maps/Map.txt");
    expectBoxes(boxes, {{"Map file doesn't exist", "Error", MB_OK | MB_ICONERROR, BoxOwner::None}});
    EXPECT_TRUE(takeQuitMessage());
    EXPECT_EQ(world->hitPoints, 0);
}

TEST_F(LevelFile, LoadsPiecesLightsAndStartWithOrWithoutTrailingNewline)
{
    const std::string text = "PlayerStart a b 5 6 7 c 0 0 0\nRoom Hall x 1 2 3 y 0 45 0\nLight a b 10 20 30\n"
                             "Light a b 40 50 60";
    for (const std::string& map : {text, text + "\n"}) {
        auto world = load(map);
        EXPECT_EQ(world->pieceCount, 1);
        ASSERT_EQ(world->lights.lightCount, 2);
        expectVector(world->lights.lightPositions[1], 40, 50, 60);
        // A name matching no kind: a level piece without geometry, but armed.
        const LevelPiece& hall = world->pieces[0];
        EXPECT_TRUE(hall.isProp == 0 && hall.model.objects.empty() && hall.active == 1);
        EXPECT_TRUE(world->hitPoints == 1000 && world->levelComplete == 0);
        expectVector(world->playerCamera.position, 5, 6, 7);
        expectVector(world->playerCamera.view, 5, 7, 37);
    }
}

TEST_F(LevelFile, LimitsAreToldOnce)
{
    std::string text;
    for (int i = 0; i < maxPieces + 3; ++i)
        text += "Room Hall x 1 1 1 y 0 0 0\n";
    for (int i = 0; i < maxLights + 3; ++i)
        text += "Light a b 1 1 1\n";
    load(text);
    // The nine missing materials and the glow are told as usual, the limits once.
    ASSERT_EQ(boxes.boxes().size(), 11u) << ::testing::PrintToString(boxes.texts());
    const MessageBoxRequest& warning = boxes.boxes()[0];
    EXPECT_EQ(warning.text, "The map places more than 1024 pieces or more than 255 lights; the extra lines are ignored.");
    EXPECT_TRUE(warning.caption == "Warning" && warning.type == unsigned(MB_OK | MB_ICONWARNING));
}

TEST_F(LevelFile, PieceModelsLoadByKind)
{
    // A crate from x = 0 to 10: boxes widen by 2.5 for props.
    const auto cube = [](float lo, float hi, bool inward) {
        return write3ds({trianglesMesh(boxCorners({lo, lo, lo}, {hi, hi, hi}, inward))});
    };
    writeFile("Data/Models/Static/Crate.3DS", cube(0, 10, false));
    writeFile("Data/Models/Level/Room02.3DS", cube(-50, 50, true));
    auto world = freshWorld();
    for (const char* name : {"Crate", "Room02"})
        loadPieceModels(place(*world, name, {0, 0, 0}));
    const LevelPiece& crate = world->pieces[0];
    ASSERT_EQ(crate.model.boxes.size(), 1u);
    EXPECT_FLOAT_EQ(crate.model.boxes[0].minX, -2.5f);
    EXPECT_FLOAT_EQ(crate.model.boxes[0].maxX, 12.5f);
    EXPECT_TRUE(crate.collisionModel.objects.empty());
    // Level pieces narrow their boxes by 5 and read their collision model too.
    const LevelPiece& room = world->pieces[1];
    ASSERT_EQ(room.model.boxes.size(), 1u);
    EXPECT_FLOAT_EQ(room.model.boxes[0].minX, -45.0f);
    EXPECT_FLOAT_EQ(room.model.boxes[0].maxX, 45.0f);
    expectBoxes(boxes, {{"Unable to find the file: Data/Models/Level/Collision Models/Room02 Coll.3DS!", "Error", MB_OK}});
}

TEST_F(LevelFile, AnEndlessMapIsCutOffWithOneWarning)
{
    // A device that never ends (where there is one), a file one byte past the
    // limit, and one of exactly the limit, which is read whole without a word.
    std::filesystem::create_directories("Data/Maps");
    for (const size_t size : {size_t(0), (size_t(8) << 20) + 1, size_t(8) << 20}) {
        std::filesystem::remove("Data/Maps/Map.txt");
        std::error_code noDevice;
        if (size == 0)
            std::filesystem::create_symlink("/dev/zero", "Data/Maps/Map.txt", noDevice);
        if (size > 0 || noDevice)
            writeFile("Data/Maps/Map.txt", std::string(size ? size : (8u << 20) + 1, ' '));
        boxes.clear();
        auto world = freshWorld();
        world->loadLevel("Data/Maps/Map.txt");
        EXPECT_TRUE(world->pieceCount == 0 && world->hitPoints == 1000)
            << "the level is assembled from what was read";
        const std::vector<std::string> texts = boxes.texts();
        const char* const warning = "The map file is larger than 8 MiB; only its first 8 MiB are read.";
        EXPECT_EQ(std::count(texts.begin(), texts.end(), warning), size == size_t(8) << 20 ? 0 : 1) << size;
    }
}

TEST_F(LevelFile, TheCheckerFailsOnlyWhenSomethingNeededIsMissing)
{
    const char* binaryDir = std::getenv("PLEMOX_BINARY_DIR");
    if (!binaryDir)
        GTEST_SKIP() << "run through CTest";
    const auto check = [&](const std::string& file) {
        return std::system((std::string(binaryDir) + "/tools/inspect/plemox-inspect " + file + " >/dev/null 2>&1").c_str());
    };
    EXPECT_EQ(check(gameDir() + "/Data/Maps/Map.txt"), 0);
    EXPECT_EQ(check(gameDir() + "/Data/mat01.plemoxmat"), 0);
    writeFile("Data/Maps/Map.txt", "static Tabel at 1 2 3 rot 0 0 0\nLight Gorvik a 1 2 3\n");
    EXPECT_EQ(check("Data/Maps/Map.txt"), 0) << "warnings only";
    writeFile("Data/Maps/Map.txt", "static Crate at 1 2 3 rot 0 0 0\n");
    EXPECT_NE(check("Data/Maps/Map.txt"), 0) << "Crate.3DS is missing";
    writeFile("Data/m.plemoxmat", "_DIFFUSE_MAP Data/none.hdr\n");
    EXPECT_NE(check("Data/m.plemoxmat"), 0);
}
