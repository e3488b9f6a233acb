#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/FaultyFileSystem.h"
#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/PosixFileSystem.h"
#include "terrain/TerrainEdits.h"

namespace grittydecal {
namespace {

using testing::FaultyFileSystem;
using testing::RecordingWindow;
using testing::TempTree;

const std::string kLine = "DECAL_LIB lib/g10/decals/stony_dirt_1.dcl\r\n";
const std::string kTerrain =
    "A\r\n800\r\nTERRAIN\r\n\r\nLOAD_CENTER 47 8 1000 1024\r\nBASE_TEX_NOWRAP x.dds\r\n"
    "NO_ALPHA\r\n";

struct SetCase {
    const char* what;
    std::string before;
    std::string decalName;
    std::string after;
};

TEST(AppendDecalLine, AppendsABreakAndTheDecalLine) {
    const std::string tail200(200, 'y');
    const std::string tail120(120, 'z');
    const SetCase cases[] = {
        {"ends in CR LF", "a\r\nb\r\n", "stony_dirt_1.dcl", "a\r\nb\r\n\r\n" + kLine},
        {"ends in LF", "a\nb\n", "stony_dirt_1.dcl", "a\nb\n\r\n" + kLine},
        {"last line without a break", "a\r\nb", "stony_dirt_1.dcl", "a\r\nb\r\n" + kLine},
        {"empty file", "", "stony_dirt_1.dcl", "\r\n" + kLine},
        {"last byte Ctrl-Z", "abc\x1a", "stony_dirt_1.dcl", "abc\r\n" + kLine},
        {"Ctrl-Z ten bytes before the end",
         "head\x1a"
         "123456789",
         "stony_dirt_1.dcl", "head\r\n" + kLine},
        {"Ctrl-Z with a tail longer than the new bytes", "a\x1a" + tail120, "stony_dirt_1.dcl",
         "a\r\n" + kLine},
        {"Ctrl-Z out of reach stays", "x\x1a" + tail200, "stony_dirt_1.dcl",
         "x\x1a" + tail200 + "\r\n" + kLine},
        {"empty decal name", "a\r\n", "", "a\r\n\r\nDECAL_LIB lib/g10/decals/\r\n"},
        {"a typed name is used as typed", "a\r\n", "Grass_and_shrubs.dcl",
         "a\r\n\r\nDECAL_LIB lib/g10/decals/Grass_and_shrubs.dcl\r\n"},
    };
    for (const auto& c : cases) {
        TempTree tree;
        tree.file("a.ter", c.before);
        PosixFileSystem files;
        RecordingWindow window;
        TerrainEdits(files, window).AppendDecalLine(tree.path("a.ter"), c.decalName);
        EXPECT_EQ(tree.read("a.ter"), c.after) << c.what;
        EXPECT_EQ(window.events, std::vector<std::string>{"process"}) << c.what;
        EXPECT_FALSE(tree.exists(std::string(kScratchName))) << c.what;
    }
}

TEST(AppendDecalLine, TwiceGivesTwoDecalLines) {
    TempTree tree;
    tree.file("a.ter", "a\r\n");
    PosixFileSystem files;
    RecordingWindow window;
    TerrainEdits edits(files, window);
    edits.AppendDecalLine(tree.path("a.ter"), "stony_dirt_1.dcl");
    edits.AppendDecalLine(tree.path("a.ter"), "stony_dirt_1.dcl");
    EXPECT_EQ(tree.read("a.ter"), "a\r\n\r\n" + kLine + "\r\n" + kLine);
}

// A file that cannot be edited beeps and stays as it was.
TEST(AppendDecalLine, LeavesFilesItMayNotEditAsTheyWere) {
    TempTree tree;
    tree.file("readonly.ter", "r\r\n");
    tree.chmod("readonly.ter", 0444);
    tree.file("target.txt", "t\r\n");
    ASSERT_EQ(::symlink(tree.path("target.txt").c_str(), tree.path("link.ter").c_str()), 0);
    ASSERT_EQ(::mkfifo(tree.path("fifo.ter").c_str(), 0644), 0);
    tree.folder("folder.ter");

    PosixFileSystem files;
    RecordingWindow window;
    TerrainEdits edits(files, window);
    for (const char* name : {"readonly.ter", "link.ter", "fifo.ter", "folder.ter", "gone.ter"}) {
        window.events.clear();
        edits.AppendDecalLine(tree.path(name), "stony_dirt_1.dcl");
        EXPECT_EQ(window.events, std::vector<std::string>{"beep"}) << name;
    }
    EXPECT_EQ(tree.read("readonly.ter"), "r\r\n");
    EXPECT_EQ(tree.read("target.txt"), "t\r\n");
}

TEST(AppendDecalLine, AFailedWriteLeavesTheFileAsItWas) {
    const std::string plain = "abc\r\n";
    const std::string shortTail =
        "abc\x1a"
        "12345";
    const std::string longTail = "abc\x1a" + std::string(100, 'q');  // rewritten beside
    const std::pair<std::string, const char*> cases[] = {
        {plain, "readAt"},         {plain, "writeAt"},       {plain, "shortWrite"},
        {shortTail, "shortWrite"}, {longTail, "readAt"},     {longTail, "createNew"},
        {longTail, "write"},       {longTail, "shortWrite"}, {longTail, "replace"},
    };
    for (const auto& [before, failing] : cases) {
        TempTree tree;
        tree.file("a.ter", before);
        FaultyFileSystem files;
        files.failing = {failing};
        RecordingWindow window;
        TerrainEdits(files, window).AppendDecalLine(tree.path("a.ter"), "stony_dirt_1.dcl");
        EXPECT_EQ(tree.read("a.ter"), before) << failing;
        EXPECT_EQ(window.events, std::vector<std::string>{"beep"}) << failing;
        EXPECT_FALSE(tree.exists(std::string(kScratchName))) << failing;
    }
}

struct ClearFixture : ::testing::Test {
    TempTree tree;
    PosixFileSystem files;
    RecordingWindow window;
    TerrainEdits edits{files, window};

    void strip(const std::string& name, FileSystem& through) {
        TerrainEdits(through, window)
            .StripDecalLines(tree.path("terrain/"), tree.path("terrain/" + name));
    }
    void strip(const std::string& name) { strip(name, files); }
};

TEST_F(ClearFixture, RewritesTheFileAndKeepsThePreviousOneAsWorkingCopy) {
    const std::string before = kTerrain + "\r\n" + kLine + "ab\n";
    tree.file("terrain/Grass.TER", before);
    tree.chmod("terrain/Grass.TER", 0640);
    tree.file("terrain/temp.txt", "an earlier working copy");
    struct stat original;
    ASSERT_EQ(::stat(tree.path("terrain/Grass.TER").c_str(), &original), 0);

    strip("Grass.TER");

    EXPECT_EQ(tree.read("terrain/Grass.TER"), kTerrain);
    EXPECT_EQ(tree.read("terrain/temp.txt"), before);
    struct stat rewritten, workingCopy;
    ASSERT_EQ(::stat(tree.path("terrain/Grass.TER").c_str(), &rewritten), 0);
    ASSERT_EQ(::stat(tree.path("terrain/temp.txt").c_str(), &workingCopy), 0);
    EXPECT_EQ(workingCopy.st_ino, original.st_ino) << "the working copy is the previous file";
    EXPECT_EQ(rewritten.st_mode & 07777, 0640u);
    EXPECT_FALSE(tree.exists("terrain/" + std::string(kScratchName)));
    EXPECT_FALSE(tree.exists("terrain/grass.ter"));
    EXPECT_EQ(window.events, std::vector<std::string>{"process"});
}

TEST_F(ClearFixture, SetThenClearGivesTheFileBack) {
    tree.file("terrain/a.ter", kTerrain);
    edits.AppendDecalLine(tree.path("terrain/a.ter"), "flinty_dirt_2.dcl");
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), kTerrain);
}

TEST_F(ClearFixture, ALeftoverOfAKilledRunGoes) {
    tree.file("terrain/a.ter", kTerrain);
    tree.file("terrain/" + std::string(kScratchName), "half of something");
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), kTerrain);
    EXPECT_FALSE(tree.exists("terrain/" + std::string(kScratchName)));
}

// Nothing may be lost: whatever stands in the way, the terrain file and any
// earlier working copy stay as they were.
TEST_F(ClearFixture, LeavesEverythingAsItWasWhenTheWorkingCopyCannotGiveWay) {
    const std::string before = kTerrain + kLine;
    tree.file("terrain/a.ter", before);
    tree.folder("terrain/temp.txt/inside");
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), before);
    EXPECT_TRUE(tree.exists("terrain/temp.txt/inside"));

    ASSERT_EQ(::rmdir(tree.path("terrain/temp.txt/inside").c_str()), 0);
    ASSERT_EQ(::rmdir(tree.path("terrain/temp.txt").c_str()), 0);
    tree.file("terrain/temp.txt", "read-only copy");
    tree.chmod("terrain/temp.txt", 0444);
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), before);
    EXPECT_EQ(tree.read("terrain/temp.txt"), "read-only copy");
    EXPECT_EQ(window.count("beep"), 2);
    EXPECT_EQ(window.count("process"), 0);
}

TEST_F(ClearFixture, NeverGoesThroughALinkOrIntoASpecialFile) {
    tree.file("outside.ter", kLine);
    tree.folder("terrain");
    ASSERT_EQ(::symlink(tree.path("outside.ter").c_str(), tree.path("terrain/link.ter").c_str()),
              0);
    ASSERT_EQ(::mkfifo(tree.path("terrain/fifo.ter").c_str(), 0644), 0);
    tree.folder("terrain/folder.ter/inside");
    tree.chmod("terrain/folder.ter", 0555);
    for (const char* name : {"link.ter", "fifo.ter", "folder.ter"}) strip(name);
    EXPECT_EQ(window.count("beep"), 3);
    EXPECT_EQ(tree.read("outside.ter"), kLine);
    EXPECT_TRUE(tree.exists("terrain/folder.ter/inside"));
    EXPECT_FALSE(tree.exists("terrain/temp.txt"));
}

// Beside an earlier working copy the new text goes into that file, which then
// trades names with the terrain file; the first time a new file is made.
TEST_F(ClearFixture, AFailureAtAnyStepLeavesTheFileAsItWas) {
    const std::string before = kTerrain + kLine;
    const std::pair<bool, std::vector<const char*>> cases[] = {
        {true,
         {"open", "read", "writeAt", "shortWrite", "truncate", "takeAccessOf", "close",
          "exchange"}},
        {false,
         {"open", "createNew", "read", "writeAt", "takeAccessOf", "close", "link", "replace"}},
    };
    for (const auto& [earlierCopy, operations] : cases) {
        for (const std::string name : operations) {
            tree.file("terrain/a.ter", before);
            if (earlierCopy) {
                // longer than the new text, so that it is cut
                tree.file("terrain/temp.txt", std::string(500, 'e'));
            } else {
                ::unlink(tree.path("terrain/temp.txt").c_str());
            }
            FaultyFileSystem faulty;
            // a read-only open is tried when the open for editing fails
            faulty.failing = name == "open"
                                 ? std::set<std::string>{"openForEditing", "openForReading"}
                                 : std::set<std::string>{name};
            window.events.clear();
            strip("a.ter", faulty);
            EXPECT_EQ(tree.read("terrain/a.ter"), before) << name;
            EXPECT_FALSE(tree.exists("terrain/" + std::string(kScratchName))) << name;
            EXPECT_EQ(window.events, std::vector<std::string>{"beep"}) << name;
        }
    }
}

TEST_F(ClearFixture, AWorkingCopyWithAnotherNameIsNotWrittenInto) {
    const std::string before = kTerrain + kLine;
    tree.file("terrain/a.ter", before);
    tree.file("elsewhere.txt", "kept");
    ASSERT_EQ(::link(tree.path("elsewhere.txt").c_str(), tree.path("terrain/temp.txt").c_str()), 0);
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), kTerrain);
    EXPECT_EQ(tree.read("terrain/temp.txt"), before);
    EXPECT_EQ(tree.read("elsewhere.txt"), "kept");
}

// From one file of a folder to the next the working copy stays open; if
// another program has put its own file under that name meanwhile, the new
// text goes into that one, not into the file that was moved away.
TEST_F(ClearFixture, AWorkingCopyThatChangedHandsBetweenFilesIsNotWrittenInto) {
    const std::string before = kTerrain + kLine;
    tree.file("terrain/a.ter", before);
    tree.file("terrain/b.ter", before + "NO_ALPHA\r\n");
    edits.StripDecalLines(tree.path("terrain/"), tree.path("terrain/a.ter"));
    ASSERT_EQ(::rename(tree.path("terrain/temp.txt").c_str(), tree.path("saved.txt").c_str()), 0);
    tree.file("terrain/temp.txt", "another program's");

    edits.StripDecalLines(tree.path("terrain/"), tree.path("terrain/b.ter"));
    EXPECT_EQ(tree.read("terrain/b.ter"), kTerrain + "NO_ALPHA\r\n");
    EXPECT_EQ(tree.read("terrain/temp.txt"), before + "NO_ALPHA\r\n");
    EXPECT_EQ(tree.read("saved.txt"), before);
    EXPECT_EQ(window.count("beep"), 0);
}

// In a shared folder the earlier working copy may be another user's: it is
// passed over, not left half-used, and the folder keeps working.
TEST_F(ClearFixture, AnotherUsersWorkingCopyIsPassedOver) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make files of other users";
    const std::string before = kTerrain + kLine;
    tree.file("terrain/a.ter", before);
    tree.file("terrain/temp.txt", "another user's");
    tree.chmod("", 0711);
    tree.chmod("terrain", 0777);
    tree.chmod("terrain/temp.txt", 0666);
    ASSERT_EQ(::chown(tree.path("terrain/temp.txt").c_str(), 65534, 65534), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(12345) != 0 || ::setuid(12345) != 0) ::_exit(2);
        RecordingWindow quiet;
        TerrainEdits(files, quiet)
            .StripDecalLines(tree.path("terrain/"), tree.path("terrain/a.ter"));
        ::_exit(quiet.count("beep"));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "beeps";
    EXPECT_EQ(tree.read("terrain/a.ter"), kTerrain);
    EXPECT_EQ(tree.read("terrain/temp.txt"), before);
}

TEST_F(ClearFixture, WorksWhereTheFileSystemHasNoHardLinks) {
    const std::string before = kTerrain + kLine;
    tree.file("terrain/a.ter", before);
    FaultyFileSystem noLinks;
    noLinks.failing = {"unsupportedLink", "unsupportedExchange"};
    strip("a.ter", noLinks);
    EXPECT_EQ(tree.read("terrain/a.ter"), kTerrain);
    EXPECT_EQ(tree.read("terrain/temp.txt"), before);

    // and puts the file back when the new one cannot take its place
    tree.file("terrain/b.ter", before);
    noLinks.failing.insert("rename");
    strip("b.ter", noLinks);
    EXPECT_EQ(tree.read("terrain/b.ter"), before);
}

TEST_F(ClearFixture, ALineOfMegabytesComesBackWhole) {
    std::string line(3 * 1024 * 1024 + 17, 'x');
    for (std::size_t i = 0; i < line.size(); i += 4099) line[i] = '\0';
    tree.file("terrain/a.ter", "BASE\n" + line + "\nDECAL_LIB z\n" + line);
    strip("a.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), "BASE\r\n" + line + "\r\n" + line + "\r\n");
}

TEST_F(ClearFixture, EmptyFilesStayEmpty) {
    tree.file("terrain/a.ter", "");
    tree.file("terrain/b.ter",
              "\x1a"
              "DECAL_LIB x\r\n");
    strip("a.ter");
    strip("b.ter");
    EXPECT_EQ(tree.read("terrain/a.ter"), "");
    EXPECT_EQ(tree.read("terrain/b.ter"), "");
    EXPECT_EQ(tree.read("terrain/temp.txt"),
              "\x1a"
              "DECAL_LIB x\r\n");
}

}  // namespace
}  // namespace grittydecal
