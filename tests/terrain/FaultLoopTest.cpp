// Every file operation of an edit is made to fail in turn, once and from then
// on, and after each run nothing of the terrain file's text may be lost.
#include <gtest/gtest.h>

#include "support/EditScenario.h"
#include "support/FaultyFileSystem.h"

namespace grittydecal {
namespace {

using testing::EditScenario;
using testing::FaultyFileSystem;
using testing::RecordingWindow;
using testing::TempTree;
using Edit = EditScenario::Edit;

int failEveryOperation(const EditScenario& s, bool persistent) {
    return s.failInTurn(persistent, [&](const TempTree& tree, RecordingWindow& window,
                                        std::uint64_t n, bool persistent) {
        FaultyFileSystem files;
        files.failAt = n;
        files.persistent = persistent;
        if (s.noExchange) files.failing.insert("unsupportedExchange");
        if (s.noHardLinks) files.failing.insert("unsupportedLink");
        s.run(tree, files, window);
        return files.failed;
    });
}

const EditScenario kScenarios[] = {
    {"Set", Edit::Set, "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX a.dds\r\n"},
    {"Set over an end mark", Edit::Set,
     "A\r\nBASE\r\n\x1a"
     "qqq"},
    {"Set over an end mark with a long tail", Edit::Set,
     "A\r\nBASE\r\n\x1a" + std::string(100, 'q')},
    {"Clear", Edit::Clear, "A\r\nBASE\r\n\r\nDECAL_LIB lib/g10/decals/x.dcl\r\n"},
    {"Clear beside a working copy", Edit::Clear, "A\nBASE\nDECAL_LIB x\n", true},
    {"Clear beside a working copy, without exchange", Edit::Clear, "A\nBASE\nDECAL_LIB x\n", true,
     true},
    {"Clear after another file of its folder", Edit::Clear, "A\nBASE\nDECAL_LIB x\n", true, false,
     false, true},
    {"Clear after another file of its folder, without exchange", Edit::Clear,
     "A\nBASE\nDECAL_LIB x\n", true, true, false, true},
};

// Each scenario takes several operations; fewer failed runs would mean the
// loop injected nothing.
constexpr int kAtLeastPerScenario = 4;

TEST(FaultLoop, EveryOperationFailingOnceLosesNothing) {
    int failedRuns = 0;
    for (const auto& s : kScenarios) {
        const int runs = failEveryOperation(s, false);
        EXPECT_GE(runs, kAtLeastPerScenario) << s.what;
        failedRuns += runs;
    }
    const EditScenario noLinks = {
        "Clear without hard links or exchange", Edit::Clear, "A\nDECAL_LIB x\n", true, true, true};
    const int runs = failEveryOperation(noLinks, false);
    EXPECT_GE(runs, kAtLeastPerScenario);
    RecordProperty("failedRuns", failedRuns + runs);
}

// Without hard links or exchange the file is briefly missing, and an
// operation failing for good can keep it so: only the single failure is
// asked of that case.
TEST(FaultLoop, EveryOperationFailingForGoodLosesNothing) {
    int failedRuns = 0;
    for (const auto& s : kScenarios) {
        const int runs = failEveryOperation(s, true);
        EXPECT_GE(runs, kAtLeastPerScenario) << s.what;
        failedRuns += runs;
    }
    RecordProperty("failedRuns", failedRuns);
}

}  // namespace
}  // namespace grittydecal
