#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "TempFolder.h"
#include "settings/IniFile.h"

namespace grittydecal {
namespace {

namespace fs = std::filesystem;

class IniFileTest : public testing::Test {
  protected:
    TempFolder folder;
    fs::path path = folder / "grittydecal.INI";
    IniFile file{path};
};

TEST_F(IniFileTest, ReadingAMissingFileGivesTheDefaultAndCreatesNothing) {
    EXPECT_EQ(file.read("TForm1", "Key", "default"), "default");
    EXPECT_EQ(entryCount(folder.path()), 0u);
}

TEST_F(IniFileTest, WritingCreatesTheFileAndReadsBack) {
    ASSERT_TRUE(file.write("TForm1", "Key", "value"));
    EXPECT_EQ(readBytes(path), "[TForm1]\nKey=value\n");
    EXPECT_EQ(file.read("tform1", "KEY", "default"), "value");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

TEST_F(IniFileTest, WritingKeepsTheRestOfTheFileByteForByte) {
    writeBytes(path, "; kept\r\n[Other]\r\nA=\xE8\r\n\r\n[TForm1]\r\nKey=old\r\nB= 2 ");
    ASSERT_TRUE(file.write("TForm1", "Key", "new"));
    EXPECT_EQ(readBytes(path), "; kept\r\n[Other]\r\nA=\xE8\r\n\r\n[TForm1]\r\nKey=new\r\nB= 2 ");
}

TEST_F(IniFileTest, BatchStopsAtTheFirstEntryThatCannotBeStored) {
    const std::vector<IniEntry> entries = {{"A", "1"}, {"B", "2"}, {"C", "bad\n"}, {"D", "4"}};
    EXPECT_FALSE(file.write("TForm1", entries));
    EXPECT_EQ(readBytes(path), "[TForm1]\nA=1\nB=2\n");

    const std::vector<IniEntry> firstRefused = {{"", "1"}, {"E", "5"}};
    EXPECT_FALSE(file.write("TForm1", firstRefused));
    EXPECT_EQ(readBytes(path), "[TForm1]\nA=1\nB=2\n");
}

TEST_F(IniFileTest, FailedWritesLeaveEverythingAsItWas) {
    // Each case names a path a write must fail on; root cannot get past any of them.
    fs::create_directory(folder / "folder");
    writeBytes(folder / "plain", "x");
    writeBytes(folder / "locked.INI", "[TForm1]\nKey=old\n");
    fs::permissions(folder / "locked.INI", fs::perms::owner_read | fs::perms::group_read);
    const char* targets[] = {"folder", "plain/grittydecal.INI", "missing/grittydecal.INI",
                             "locked.INI"};
    for (const char* target : targets) {
        IniFile failing(folder / target);
        EXPECT_FALSE(failing.write("TForm1", "Key", "new")) << target;
        EXPECT_EQ(failing.read("TForm1", "Key", "default"),
                  std::string(target) == "locked.INI" ? "old" : "default")
            << target;
    }
    EXPECT_TRUE(fs::is_empty(folder / "folder"));
    EXPECT_EQ(readBytes(folder / "plain"), "x");
    EXPECT_EQ(readBytes(folder / "locked.INI"), "[TForm1]\nKey=old\n");
    EXPECT_EQ(entryCount(folder.path()), 3u);
}

TEST_F(IniFileTest, ReplacingKeepsPermissionsAndLinks) {
    fs::create_directory(folder / "real");
    writeBytes(folder / "real/settings.INI", "[TForm1]\nKey=old\n");
    fs::permissions(folder / "real/settings.INI", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real/settings.INI", path);

    ASSERT_TRUE(file.write("TForm1", "Key", "new"));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(readBytes(folder / "real/settings.INI"), "[TForm1]\nKey=new\n");
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(entryCount(folder / "real"), 1u);
}

}  // namespace
}  // namespace grittydecal
