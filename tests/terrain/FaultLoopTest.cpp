// Every file operation of an edit is made to fail in turn, once and from then
// on, and after each run the terrain file must be either its previous text or
// its edited text, with the previous text kept wherever the file is not it.
#include <gtest/gtest.h>

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

enum class Edit { Set, Clear };

struct Scenario {
    const char* what;
    Edit edit;
    std::string before;
    bool earlierCopy = false;
    bool noHardLinks = false;
};

const std::string kFile = "terrain/a.ter";
const std::string kCopy = "terrain/temp.txt";
const std::string kScratch = "terrain/" + std::string(kScratchName);
const std::string kEarlier = "the previous text of another file";

void run(const Scenario& s, const TempTree& tree, FileSystem& files, WindowSystem& window) {
    TerrainEdits edits(files, window);
    if (s.edit == Edit::Set) {
        edits.AppendDecalLine(tree.path(kFile), "stony_dirt_1.dcl");
    } else {
        edits.StripDecalLines(tree.path("terrain/"), tree.path(kFile));
    }
}

void prepare(const Scenario& s, const TempTree& tree) {
    tree.file(kFile, s.before);
    if (s.earlierCopy) tree.file(kCopy, kEarlier);
}

std::string edited(const Scenario& s) {
    TempTree tree;
    prepare(s, tree);
    PosixFileSystem files;
    RecordingWindow window;
    run(s, tree, files, window);
    return tree.read(kFile);
}

// Returns how many runs had a failure injected.
int failEveryOperation(const Scenario& s, bool persistent) {
    int failedRuns = 0;
    const std::string after = edited(s);
    EXPECT_NE(after, s.before) << s.what;
    for (std::uint64_t n = 1;; ++n) {
        const std::string at = std::string(s.what) + (persistent ? ", from call " : ", call ") +
                               std::to_string(n);
        TempTree tree;
        prepare(s, tree);
        FaultyFileSystem files;
        files.failAt = n;
        files.persistent = persistent;
        if (s.noHardLinks) files.failing.insert("unsupportedLink");
        RecordingWindow window;
        run(s, tree, files, window);
        if (!files.failed) break;
        ++failedRuns;

        if (!tree.exists(kFile)) {
            ADD_FAILURE() << at << ": the terrain file is gone";
            continue;
        }
        const std::string now = tree.read(kFile);
        if (now == s.before) {
            EXPECT_EQ(window.count("beep"), 1) << at;
        } else {
            EXPECT_EQ(now, after) << at;
            if (s.edit == Edit::Clear) {
                EXPECT_EQ(tree.read(kCopy), s.before) << at;
            }
        }
        if (s.earlierCopy && tree.exists(kCopy)) {
            const std::string copy = tree.read(kCopy);
            EXPECT_TRUE(copy == kEarlier || copy == s.before) << at;
        }
        if (!persistent) {
            EXPECT_FALSE(tree.exists(kScratch)) << at;
        }
    }
    return failedRuns;
}

const Scenario kScenarios[] = {
    {"Set", Edit::Set, "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX a.dds\r\n"},
    {"Set over an end mark", Edit::Set, "A\r\nBASE\r\n\x1a" "qqq"},
    {"Set over an end mark with a long tail", Edit::Set, "A\r\nBASE\r\n\x1a" + std::string(100, 'q')},
    {"Clear", Edit::Clear, "A\r\nBASE\r\n\r\nDECAL_LIB lib/g10/decals/x.dcl\r\n"},
    {"Clear beside a working copy", Edit::Clear, "A\nBASE\nDECAL_LIB x\n", true},
};

// Each scenario takes several operations; fewer failed runs would mean the
// loop injected nothing.
constexpr int kAtLeastPerScenario = 4;

TEST(FaultLoop, EveryOperationFailingOnceLosesNothing) {
    for (const auto& s : kScenarios) EXPECT_GE(failEveryOperation(s, false), kAtLeastPerScenario);
    const Scenario noLinks = {"Clear without hard links", Edit::Clear, "A\nDECAL_LIB x\n", true,
                              true};
    EXPECT_GE(failEveryOperation(noLinks, false), kAtLeastPerScenario);
}

TEST(FaultLoop, EveryOperationFailingForGoodLosesNothing) {
    for (const auto& s : kScenarios) EXPECT_GE(failEveryOperation(s, true), kAtLeastPerScenario);
}

}  // namespace
}  // namespace grittydecal
