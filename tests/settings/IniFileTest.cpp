#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "settings/IniFile.h"
#include "support/TempTree.h"

namespace grittydecal {
namespace {

namespace fs = std::filesystem;
using testing::TempTree;

std::size_t entryCount(const fs::path& folder) {
    return std::distance(fs::directory_iterator(folder), fs::directory_iterator());
}

class IniFileTest : public ::testing::Test {
protected:
    TempTree tree;
    fs::path path = tree.path("grittydecal.INI");
    IniFile file{path};
};

TEST_F(IniFileTest, ReadingAMissingFileGivesTheDefaultAndCreatesNothing) {
    EXPECT_EQ(file.read("TForm1", "Key", "default"), "default");
    EXPECT_EQ(entryCount(tree.root()), 0u);
}

TEST_F(IniFileTest, WritingCreatesTheFileAndReadsBack) {
    ASSERT_TRUE(file.write("TForm1", "Key", "value"));
    EXPECT_EQ(tree.read("grittydecal.INI"), "[TForm1]\nKey=value\n");
    EXPECT_EQ(file.read("tform1", "KEY", "default"), "value");
    EXPECT_EQ(entryCount(tree.root()), 1u);
}

TEST_F(IniFileTest, WritingKeepsTheRestOfTheFileByteForByte) {
    tree.file("grittydecal.INI", "; kept\r\n[Other]\r\nA=\xE8\r\n\r\n[TForm1]\r\nKey=old\r\nB= 2 ");
    ASSERT_TRUE(file.write("TForm1", "Key", "new"));
    EXPECT_EQ(tree.read("grittydecal.INI"),
              "; kept\r\n[Other]\r\nA=\xE8\r\n\r\n[TForm1]\r\nKey=new\r\nB= 2 ");
}

TEST_F(IniFileTest, BatchStopsAtTheFirstEntryThatCannotBeStored) {
    const std::vector<IniEntry> entries = {{"A", "1"}, {"B", "2"}, {"C", "bad\n"}, {"D", "4"}};
    EXPECT_FALSE(file.write("TForm1", entries));
    EXPECT_EQ(tree.read("grittydecal.INI"), "[TForm1]\nA=1\nB=2\n");

    const std::vector<IniEntry> firstRefused = {{"", "1"}, {"E", "5"}};
    EXPECT_FALSE(file.write("TForm1", firstRefused));
    EXPECT_EQ(tree.read("grittydecal.INI"), "[TForm1]\nA=1\nB=2\n");
}

TEST_F(IniFileTest, FailedWritesLeaveEverythingAsItWas) {
    // Each case names a path a write must fail on; root cannot get past any of them.
    tree.folder("folder");
    tree.file("plain", "x");
    tree.file("locked.INI", "[TForm1]\nKey=old\n");
    tree.chmod("locked.INI", 0440);
    const char* targets[] = {"folder", "plain/grittydecal.INI", "missing/grittydecal.INI",
                             "locked.INI"};
    for (const char* target : targets) {
        IniFile failing(tree.path(target));
        EXPECT_FALSE(failing.write("TForm1", "Key", "new")) << target;
        EXPECT_EQ(failing.read("TForm1", "Key", "default"),
                  std::string(target) == "locked.INI" ? "old" : "default")
            << target;
    }
    EXPECT_TRUE(fs::is_empty(tree.path("folder")));
    EXPECT_EQ(tree.read("plain"), "x");
    EXPECT_EQ(tree.read("locked.INI"), "[TForm1]\nKey=old\n");
    EXPECT_EQ(entryCount(tree.root()), 3u);
}

TEST_F(IniFileTest, ReplacingKeepsPermissionsAndLinks) {
    tree.file("real/settings.INI", "[TForm1]\nKey=old\n");
    tree.chmod("real/settings.INI", 0600);
    fs::create_symlink("real/settings.INI", path);

    ASSERT_TRUE(file.write("TForm1", "Key", "new"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(tree.read("real/settings.INI"), "[TForm1]\nKey=new\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(entryCount(tree.path("real")), 1u);
}

}  // namespace
}  // namespace grittydecal
