#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

#include "support/TempTree.h"
#include "terrain/PosixFileSystem.h"

namespace grittydecal {
namespace {

using testing::TempTree;

struct PosixFileSystemTest : ::testing::Test {
    TempTree tree;
    PosixFileSystem files;
};

TEST_F(PosixFileSystemTest, AttributeWordsFollowTheWindowsBits) {
    tree.folder("plain");
    tree.folder("locked");
    tree.chmod("locked", 0555);
    tree.folder(".hidden");
    tree.file("file", "");
    tree.file("readonly", "");
    tree.chmod("readonly", 0444);
    ASSERT_EQ(::symlink("plain", tree.path("folderlink").c_str()), 0);
    ASSERT_EQ(::symlink("file", tree.path("filelink").c_str()), 0);

    const std::pair<const char*, std::uint32_t> cases[] = {
        {"plain", 16},   {"locked", 17},       {".hidden", 18},    {"file", 0},
        {"readonly", 1}, {"folderlink", 1040}, {"filelink", 1024},
    };
    std::map<std::string, std::uint32_t> listed;
    auto listing = files.list(tree.root());
    ASSERT_TRUE(listing);
    for (Entry entry; listing->next(entry);) listed[std::string(entry.name)] = entry.attributes;
    EXPECT_TRUE(listed.contains(".") && listed.contains(".."));

    for (const auto& [name, word] : cases) {
        EXPECT_EQ(files.attributes(tree.path(name)), word) << name;
        // A listing leaves a file's read-only bit out: nothing tests it there.
        if (word != attribute::kReadOnly) {
            EXPECT_EQ(listed[name], word) << name << " as listed";
        }
    }
    EXPECT_EQ(files.attributes(tree.path("missing")), std::nullopt);
    EXPECT_EQ(files.attributes(tree.path("file/")), std::nullopt);
    EXPECT_FALSE(files.list(tree.path("missing/")));
}

TEST_F(PosixFileSystemTest, NamesAreFoundWithoutRegardToLetterCase) {
    tree.folder("X-Plane 10/Custom Scenery");
    EXPECT_EQ(files.storedName(tree.path("x-plane 10/custom scenery")), "Custom Scenery");
    EXPECT_EQ(files.storedName(tree.path("X-PLANE 10")), "X-Plane 10");
    EXPECT_EQ(files.attributes(tree.path("x-plane 10/CUSTOM SCENERY/")), 16u);
    EXPECT_EQ(files.storedPath(tree.path("x-plane 10/custom scenery/")),
              tree.path("X-Plane 10/Custom Scenery/"));
    EXPECT_EQ(files.storedName(tree.path("x-plane 10/")), std::nullopt);
    EXPECT_EQ(files.storedName(tree.path("x-plane 10/nothing")), std::nullopt);
}

TEST_F(PosixFileSystemTest, RenameNeverReplaces) {
    tree.file("a", "a");
    tree.file("b", "b");
    EXPECT_FALSE(files.rename(tree.path("a"), tree.path("b")));
    EXPECT_EQ(tree.read("b"), "b");
    EXPECT_TRUE(files.rename(tree.path("a"), tree.path("c")));
    EXPECT_EQ(tree.read("c"), "a");
    EXPECT_FALSE(tree.exists("a"));
}

TEST_F(PosixFileSystemTest, OpensOnlyRegularFilesAndAppendsOnlyToWritableOnes) {
    tree.file("file", "x");
    tree.file("readonly", "x");
    tree.chmod("readonly", 0444);
    ASSERT_EQ(::symlink("file", tree.path("link").c_str()), 0);
    ASSERT_EQ(::mkfifo(tree.path("fifo").c_str(), 0666), 0);
    tree.folder("folder");

    EXPECT_TRUE(files.openForEditing(tree.path("file")));
    EXPECT_TRUE(files.openForReading(tree.path("readonly")));
    EXPECT_FALSE(files.openForEditing(tree.path("readonly")));
    for (const char* name : {"link", "fifo", "folder", "missing"}) {
        EXPECT_FALSE(files.openForEditing(tree.path(name))) << name;
        EXPECT_FALSE(files.openForReading(tree.path(name))) << name;
    }
    EXPECT_FALSE(files.createNew(tree.path("file")));
}

// While a folder is listed its entries are reached through the listing. An
// entry listed as a regular file that has changed since is refused all the
// same, and paths elsewhere keep working, in whatever order listings end.
TEST_F(PosixFileSystemTest, EntriesOfAListedFolderAreCheckedWhenOpened) {
    tree.folder("listed/inner");
    for (const char* name : {"file", "fifo", "link", "folder"}) {
        tree.file("listed/" + std::string(name), "x");
    }
    tree.file("other", "o");
    auto listing = files.list(tree.path("listed"));
    ASSERT_TRUE(listing);
    std::set<std::string> opened;
    for (Entry entry; listing->next(entry);) {
        const std::string name(entry.name);
        const std::string path = tree.path("listed/" + name);
        if (name == "fifo" || name == "link" || name == "folder") ::unlink(path.c_str());
        if (name == "fifo") ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
        if (name == "link") ASSERT_EQ(::symlink("file", path.c_str()), 0);
        if (name == "folder") tree.folder("listed/folder");
        if (files.openForEditing(path)) opened.insert(name);
    }
    EXPECT_EQ(opened, std::set<std::string>{"file"});

    auto inner = files.list(tree.path("listed/inner/"));
    ASSERT_TRUE(inner);
    EXPECT_TRUE(files.openForReading(tree.path("other")));
    EXPECT_TRUE(files.createNew(tree.path("listed/inner/new")));
    EXPECT_TRUE(files.rename(tree.path("listed/file"), tree.path("listed/inner/moved")));
    EXPECT_EQ(files.exchange(tree.path("listed/inner/moved"), tree.path("other")), Outcome::Done);
    listing.reset();
    EXPECT_TRUE(files.replace(tree.path("listed/inner/new"), tree.path("listed/inner/moved")));
    inner.reset();
    EXPECT_EQ(tree.read("other"), "x");
    EXPECT_EQ(tree.read("listed/inner/moved"), "");
    EXPECT_TRUE(files.remove(tree.path("listed/inner/moved")));
    EXPECT_FALSE(tree.exists("listed/inner/moved"));
}

}  // namespace
}  // namespace grittydecal
