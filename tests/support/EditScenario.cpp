#include "support/EditScenario.h"

#include <gtest/gtest.h>

#include "terrain/PosixFileSystem.h"
#include "terrain/TerrainEdits.h"

namespace grittydecal::testing {

namespace {
const std::string kFile = "terrain/a.ter";
const std::string kCopy = "terrain/temp.txt";
const std::string kEarlier = "the previous text of another file";
// Has nothing to clear: it is its own cleared text.
const std::string kOther = "terrain/other.ter";
const std::string kOtherText = "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX b.dds\r\n";
}  // namespace

void EditScenario::prepare(const TempTree& tree) const {
    tree.file(kFile, before);
    if (earlierCopy) tree.file(kCopy, kEarlier);
    if (afterAnother) tree.file(kOther, kOtherText);
}

void EditScenario::run(const TempTree& tree, FileSystem& files, WindowSystem& window) const {
    TerrainEdits edits(files, window);
    if (edit == Edit::Set) {
        edits.AppendDecalLine(tree.path(kFile), "stony_dirt_1.dcl");
    } else {
        if (afterAnother) edits.StripDecalLines(tree.path("terrain/"), tree.path(kOther));
        edits.StripDecalLines(tree.path("terrain/"), tree.path(kFile));
    }
}

std::string EditScenario::edited() const {
    TempTree tree;
    prepare(tree);
    PosixFileSystem files;
    RecordingWindow window;
    run(tree, files, window);
    const std::string text = tree.read(kFile);
    EXPECT_NE(text, before) << what;
    return text;
}

void EditScenario::expectNothingLost(const TempTree& tree, const RecordingWindow& window,
                                     const std::string& editedText, bool singleFailure,
                                     const std::string& at) const {
    if (!tree.exists(kFile)) {
        ADD_FAILURE() << at << ": the terrain file is gone";
        return;
    }
    if (afterAnother) EXPECT_EQ(tree.read(kOther), kOtherText) << at;
    const std::string now = tree.read(kFile);
    if (now == before) {
        // the other file's edit may have failed too
        const int beeps = window.count("beep");
        EXPECT_TRUE(beeps == 1 || (afterAnother && beeps == 2)) << at << ": " << beeps << " beeps";
    } else {
        EXPECT_EQ(now, editedText) << at;
        if (edit == Edit::Clear) {
            EXPECT_EQ(tree.read(kCopy), before) << at;
        }
    }
    if (singleFailure) {
        EXPECT_FALSE(tree.exists("terrain/" + std::string(kScratchName))) << at;
    }
}

int EditScenario::failInTurn(bool persistent, const RunFailing& runFailing) const {
    const std::string editedText = edited();
    int failedRuns = 0;
    for (std::uint64_t n = 1;; ++n) {
        TempTree tree;
        prepare(tree);
        RecordingWindow window;
        if (!runFailing(tree, window, n, persistent)) break;
        ++failedRuns;
        expectNothingLost(
            tree, window, editedText, !persistent,
            std::string(what) + (persistent ? ", from call " : ", call ") + std::to_string(n));
    }
    return failedRuns;
}

}  // namespace grittydecal::testing
