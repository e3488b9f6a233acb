#include <gtest/gtest.h>
#include <unistd.h>

#include "commands/DecalCommands.h"
#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/PosixFileSystem.h"

namespace grittydecal {
namespace {

using testing::RecordingWindow;
using testing::TempTree;

const std::string kBefore = "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX x.dds\r\n";
const std::string kAfterSet = kBefore + "\r\nDECAL_LIB lib/g10/decals/stony_dirt_1.dcl\r\n";

struct DecalCommandsTest : ::testing::Test {
    TempTree tree;
    PosixFileSystem files;
    RecordingWindow window;
    DecalCommands commands{files, window};
};

TEST_F(DecalCommandsTest, LongFolderNameGivesStoredNamesAndEmptiesMissingOnes) {
    tree.folder("X-Plane 10/Custom Scenery");
    const std::string root = tree.root();  // ends in "/"
    const std::pair<std::string, std::string> cases[] = {
        {root + "x-plane 10/custom scenery", root + "X-Plane 10/Custom Scenery"},
        {root + "x-plane 10/", root + "X-Plane 10/"},
        {root + "x-plane 10/nothing/more", root + "X-Plane 10//"},
        {"no separator", "no separator"},
        {"", ""},
        {"/", "/"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(LongFolderName(text, files), expected) << text;
    }
}

TEST_F(DecalCommandsTest, SetAndClearInInstallationMode) {
    tree.file("X-Plane/Custom Scenery/Area/terrain/a.ter", kBefore);
    tree.file("X-Plane/terrain/outside.ter", kBefore);

    // typed in other letter case, as on a case-insensitive system
    EXPECT_TRUE(commands.set(tree.path("x-plane"), false, "stony_dirt_1.dcl"));
    EXPECT_EQ(tree.read("X-Plane/Custom Scenery/Area/terrain/a.ter"), kAfterSet);
    EXPECT_EQ(tree.read("X-Plane/terrain/outside.ter"), kBefore);
    auto labels = window.labels();
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(), tree.path("X-Plane/Custom Scenery/"));
    EXPECT_EQ(labels.back(), kDone);
    EXPECT_EQ(window.events.back(), "process");

    EXPECT_TRUE(commands.clear(tree.path("X-Plane/"), false));
    EXPECT_EQ(tree.read("X-Plane/Custom Scenery/Area/terrain/a.ter"), kBefore);
    EXPECT_EQ(tree.read("X-Plane/Custom Scenery/Area/terrain/temp.txt"), kAfterSet);
    labels = window.labels();
    EXPECT_EQ(labels.back(), kDone);
    EXPECT_NE(std::find(labels.begin(), labels.end(), tree.path("X-Plane//Custom Scenery/area/")),
              labels.end())
        << "a trailing separator doubles before the check folder";
    EXPECT_EQ(window.count("beep"), 0);
}

TEST_F(DecalCommandsTest, FoldersStoredInOtherLetterCaseAreFound) {
    tree.file("x-plane/custom scenery/Area/terrain/a.ter", kBefore);
    EXPECT_TRUE(commands.set(tree.path("X-Plane"), false, "stony_dirt_1.dcl"));
    EXPECT_EQ(tree.read("x-plane/custom scenery/Area/terrain/a.ter"), kAfterSet);
    EXPECT_EQ(window.labels().front(), tree.path("x-plane/Custom Scenery/"));
}

TEST_F(DecalCommandsTest, AreaModeWalksTheWholeAreaFolder) {
    tree.file("area/terrain/a.ter", kBefore);
    tree.file("area/sub/terrain/b.ter", kBefore);
    EXPECT_TRUE(commands.set(tree.path("area"), true, "stony_dirt_1.dcl"));
    EXPECT_EQ(tree.read("area/terrain/a.ter"), kAfterSet);
    EXPECT_EQ(tree.read("area/sub/terrain/b.ter"), kAfterSet);
    EXPECT_EQ(window.count("error Wrong folder"), 0);
}

TEST_F(DecalCommandsTest, AMissingCheckFolderGivesWrongFolderAndTouchesNothing) {
    tree.file("install/terrain/a.ter", kBefore);   // no Custom Scenery
    tree.file("area/sub/terrain/b.ter", kBefore);  // no terrain directly in the area
    tree.file("file/terrain", "not a folder");
    const std::pair<std::string, bool> cases[] = {
        {tree.path("install"), false},
        {tree.path("area"), true},
        {tree.path("file"), true},
        {tree.path("missing"), false},
        {tree.path("install/terrain/a.ter"), true},
    };
    for (const auto& [text, areaMode] : cases) {
        window.events.clear();
        EXPECT_TRUE(commands.set(text, areaMode, "stony_dirt_1.dcl"));
        const std::vector<std::string> expected = {"error Wrong folder", "process",
                                                   "label " + std::string(kDone), "process"};
        EXPECT_EQ(window.events, expected) << text;
    }
    EXPECT_EQ(tree.read("install/terrain/a.ter"), kBefore);
    EXPECT_EQ(tree.read("area/sub/terrain/b.ter"), kBefore);
}

TEST_F(DecalCommandsTest, ASecondCommandDoesNotStartWhileOneRuns) {
    tree.file("area/terrain/a.ter", kBefore);
    tree.file("area/terrain/b.ter", kBefore);
    int refused = 0;
    window.onProcess = [&] {
        EXPECT_TRUE(commands.running());
        if (!commands.set(tree.path("area"), true, "other.dcl")) ++refused;
        if (!commands.clear(tree.path("area"), true)) ++refused;
    };
    EXPECT_TRUE(commands.set(tree.path("area"), true, "stony_dirt_1.dcl"));
    window.onProcess = nullptr;
    EXPECT_FALSE(commands.running());
    EXPECT_EQ(refused, 2 * window.count("process"));
    EXPECT_EQ(tree.read("area/terrain/a.ter"), kAfterSet);
    EXPECT_EQ(tree.read("area/terrain/b.ter"), kAfterSet);
    EXPECT_TRUE(commands.clear(tree.path("area"), true)) << "runs again once the first is done";
}

TEST_F(DecalCommandsTest, OddFolderTextsGiveAClearOutcome) {
    // A relative text is taken from the current folder.
    tree.file("rel/terrain/a.ter", kBefore);
    char previous[4096];
    ASSERT_TRUE(::getcwd(previous, sizeof previous));
    ASSERT_EQ(::chdir(tree.root().c_str()), 0);
    commands.set("REL", true, "stony_dirt_1.dcl");
    ASSERT_EQ(::chdir(previous), 0);
    EXPECT_EQ(tree.read("rel/terrain/a.ter"), kAfterSet);

    // Texts that name nothing usable are the wrong folder.
    std::string tooLong = tree.root();
    while (tooLong.size() < 5000) tooLong += "abcdefghi/";
    for (const std::string& text : {tooLong, std::string(5000, 'x'), std::string()}) {
        window.events.clear();
        commands.clear(text, true);
        EXPECT_EQ(window.events.front(), "error Wrong folder") << text.size();
        EXPECT_EQ(window.labels(), std::vector<std::string>{std::string(kDone)});
    }
}

TEST_F(DecalCommandsTest, ADeepTreeIsWalkedToTheBottom) {
    std::string deep = "area/terrain/";
    for (int level = 0; level < 200; ++level) deep += "d/";
    tree.file(deep + "terrain/a.ter", kBefore);
    commands.set(tree.path("area"), true, "stony_dirt_1.dcl");
    EXPECT_EQ(tree.read(deep + "terrain/a.ter"), kAfterSet);
    commands.clear(tree.path("area"), true);
    EXPECT_EQ(tree.read(deep + "terrain/a.ter"), kBefore);
}

}  // namespace
}  // namespace grittydecal
