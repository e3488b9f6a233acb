#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/PosixFileSystem.h"
#include "terrain/TerrainWalk.h"

namespace grittydecal {
namespace {

using testing::RecordingWindow;
using testing::TempTree;

TEST(TerrainTests, OnlyPlainAndCompressedFoldersAreWalked) {
    const std::pair<std::uint32_t, bool> cases[] = {
        {16, true},    {2064, true},  {17, false},    {18, false},
        {20, false},   {48, false},   {1040, false},  {2065, false},
        {4112, false}, {8208, false}, {10256, false}, {16400, false},
        {0, false},    {32, false},   {2048, false},  {2048 + 32, false},
    };
    for (const auto& [attributes, walked] : cases) {
        EXPECT_EQ(IsWalkedFolder(attributes), walked) << attributes;
    }
}

TEST(TerrainTests, TerrainFolderAndExtension) {
    EXPECT_TRUE(IsTerrainFolder("/x/terrain/"));
    EXPECT_TRUE(IsTerrainFolder("/X/TeRRain/"));
    EXPECT_TRUE(IsTerrainFolder("/terrain/"));
    EXPECT_FALSE(IsTerrainFolder("terrain/"));
    EXPECT_FALSE(IsTerrainFolder("/x/myterrain/"));
    EXPECT_FALSE(IsTerrainFolder("/x/terrain2/"));

    for (const char* name : {"a.ter", ".ter", "x.y.ter"}) EXPECT_TRUE(HasTerrainExtension(name));
    for (const char* name : {"a.ter.bak", "a.terrain", "a", "a.", "temp.txt", "ter"}) {
        EXPECT_FALSE(HasTerrainExtension(name)) << name;
    }
}

// Folders and their entries in listing order; an edit shows up as an attempt
// to open the file, which fails and beeps.
class ScriptedFileSystem final : public FileSystem {
public:
    ScriptedFileSystem(std::map<std::string, std::vector<Entry>> folders, RecordingWindow& window)
        : folders_(std::move(folders)), window_(window) {}

    std::unique_ptr<Listing> list(const std::string& folder) override {
        const auto found = folders_.find(folder);
        if (found == folders_.end()) return nullptr;
        return std::make_unique<ScriptedListing>(found->second);
    }
    // Set and Clear both open the file for editing first.
    std::unique_ptr<File> openForEditing(const std::string& path) override {
        window_.events.push_back("open " + path);
        return nullptr;
    }
    std::optional<FileStatus> status(const std::string&) override { return FileStatus{}; }
    std::unique_ptr<File> openForReading(const std::string&) override { return nullptr; }
    std::optional<std::uint32_t> attributes(const std::string&) override { return {}; }
    std::optional<std::string> storedName(const std::string&) override { return {}; }
    std::optional<std::string> storedPath(const std::string& path) override { return path; }
    std::unique_ptr<File> openForRewriting(const std::string&) override { return nullptr; }
    std::unique_ptr<File> createNew(const std::string&) override { return nullptr; }
    Outcome exchange(const std::string&, const std::string&) override { return Outcome::Failed; }
    bool remove(const std::string&) override { return false; }
    bool rename(const std::string&, const std::string&) override { return false; }
    bool replace(const std::string&, const std::string&) override { return false; }
    Outcome link(const std::string&, const std::string&) override { return Outcome::Failed; }

private:
    struct ScriptedListing final : Listing {
        explicit ScriptedListing(const std::vector<Entry>& entries) : entries(entries) {}
        bool next(Entry& entry) override {
            if (at == entries.size()) return false;
            entry = entries[at++];
            return true;
        }
        const std::vector<Entry>& entries;
        std::size_t at = 0;
    };

    std::map<std::string, std::vector<Entry>> folders_;
    RecordingWindow& window_;
};

const std::map<std::string, std::vector<Entry>> kTree = {
    {"/X/", {{".", 16}, {"..", 16}, {"Terrain", 16}}},
    {"/X/Terrain/", {{"A.ter", 0}, {"Sub", 16}, {"b.TER", 0}}},
    {"/X/Terrain/Sub/", {{"c.ter", 0}}},
};

TEST(TerrainWalk, SetGoesDepthFirstInListingOrderAndProcessesOnlyInEdits) {
    RecordingWindow window;
    ScriptedFileSystem files(kTree, window);
    TerrainWalk(files, window).AddDecalLines("/X/", "d.dcl");
    const std::vector<std::string> expected = {
        "label /X/",
        "label /X/terrain/",
        "open /X/Terrain/A.ter",
        "beep",
        "label /X/terrain/sub/",
        "label /X/terrain/",
        "open /X/Terrain/b.TER",
        "beep",
    };
    EXPECT_EQ(window.events, expected);
}

TEST(TerrainWalk, ClearProcessesMessagesAfterEveryEntry) {
    RecordingWindow window;
    ScriptedFileSystem files(kTree, window);
    TerrainWalk(files, window).RemoveDecalLines("/X/");
    const std::vector<std::string> expected = {
        "label /X/",
        "process",  // .
        "process",  // ..
        "label /X/terrain/", "open /X/Terrain/A.ter", "beep", "process", "label /X/terrain/sub/",
        "process",  // c.ter, not in a terrain folder
        "process",  // Sub
        "label /X/terrain/", "open /X/Terrain/b.TER", "beep", "process",
        "process",  // Terrain
    };
    EXPECT_EQ(window.events, expected);
}

TEST(TerrainWalk, AFolderThatCannotBeListedIsPassedOverSilently) {
    RecordingWindow window;
    ScriptedFileSystem files(
        {{"/X/", {{"gone", 16}, {"Terrain", 16}}}, {"/X/Terrain/", {{"a.ter", 0}}}}, window);
    TerrainWalk(files, window).AddDecalLines("/X/", "d.dcl");
    EXPECT_EQ(window.count("open /X/Terrain/a.ter"), 1);
    EXPECT_EQ(window.labels(), (std::vector<std::string>{"/X/", "/X/", "/X/terrain/"}));

    window.events.clear();
    TerrainWalk(files, window).AddDecalLines("/nowhere/", "d.dcl");
    EXPECT_TRUE(window.events.empty());
}

// Which files of a real area folder get a decal line.
TEST(TerrainWalk, EditsTerrainFilesOnlyDirectlyInTerrainFolders) {
    TempTree tree;
    const char* edited[] = {"MyArea/terrain/a.ter",     "MyArea/terrain/terrain/c.ter",
                            "MyArea/Terrain/f.ter",     "MyArea/TERRAIN/G.TER",
                            "MyArea/terrain/.ter",      "MyArea/deep/er/terrain/h.ter",
                            "MyArea/terrain/Grass.TER", "MyArea/terrain/grass.ter"};
    const char* untouched[] = {
        "MyArea/terrain/sub/b.ter",  "MyArea/myterrain/d.ter",      "MyArea/terrain2/e.ter",
        "MyArea/.git/terrain/x.ter", "MyArea/terrain/a.ter.bak",    "MyArea/terrain/a.terrain",
        "MyArea/terrain/a",          "MyArea/locked/terrain/y.ter", "outside/terrain/z.ter"};
    for (const char* name : edited) tree.file(name, "x\r\n");
    for (const char* name : untouched) tree.file(name, "x\r\n");
    tree.chmod("MyArea/locked", 0555);  // read-only: not walked
    ASSERT_EQ(::symlink(tree.path("outside").c_str(), tree.path("MyArea/linked").c_str()), 0);

    PosixFileSystem files;
    RecordingWindow window;
    TerrainWalk(files, window).AddDecalLines(tree.path("MyArea/"), "d.dcl");

    for (const char* name : edited) {
        EXPECT_EQ(tree.read(name), "x\r\n\r\nDECAL_LIB lib/g10/decals/d.dcl\r\n") << name;
    }
    for (const char* name : untouched) EXPECT_EQ(tree.read(name), "x\r\n") << name;
    EXPECT_EQ(window.count("beep"), 0);
    const auto labels = window.labels();
    EXPECT_NE(std::find(labels.begin(), labels.end(), tree.path("MyArea/deep/er/terrain/")),
              labels.end());
}

TEST(TerrainWalk, ClearLeavesAWorkingCopyInEachTerrainFolder) {
    TempTree tree;
    tree.file("a/terrain/one.ter", "A\r\nBASE\r\nDECAL_LIB x\r\n");
    tree.file("b/terrain/two.ter", "B\nDECAL_LIB y\n");
    PosixFileSystem files;
    RecordingWindow window;
    TerrainWalk(files, window).RemoveDecalLines(tree.root());
    EXPECT_EQ(tree.read("a/terrain/one.ter"), "A\r\nBASE\r\n");
    EXPECT_EQ(tree.read("a/terrain/temp.txt"), "A\r\nBASE\r\nDECAL_LIB x\r\n");
    EXPECT_EQ(tree.read("b/terrain/two.ter"), "B\r\n");
    EXPECT_EQ(tree.read("b/terrain/temp.txt"), "B\nDECAL_LIB y\n");
    EXPECT_EQ(window.count("beep"), 0);
}

}  // namespace
}  // namespace grittydecal
