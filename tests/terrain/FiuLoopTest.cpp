// The fault loop again, through the real system calls: libfiu's preload
// library makes open, read, write, ftruncate, close, rename, unlink and the
// folder calls fail on demand with the errors a disk gives.
#include <fiu-control.h>
#include <fiu.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "support/EditScenario.h"
#include "terrain/PosixFileSystem.h"

namespace grittydecal {
namespace {

using testing::EditScenario;
using testing::RecordingWindow;
using testing::TempTree;
using Edit = EditScenario::Edit;

struct Injection {
    unsigned long calls = 0;
    unsigned long failAt = 0;
    bool persistent = false;
    bool failed = false;
};

Injection injection;
constexpr int kErrors[] = {EIO, ENOSPC, EACCES, ENOENT};

int decide(const char*, int*, void** failinfo, unsigned int*) {
    ++injection.calls;
    const bool fail = injection.calls == injection.failAt ||
                      (injection.persistent && injection.calls > injection.failAt);
    if (!fail) return 0;
    injection.failed = true;
    *failinfo =
        reinterpret_cast<void*>(static_cast<long>(kErrors[injection.calls % std::size(kErrors)]));
    return 1;
}

const char* const kPoints[] = {"posix/io/oc/*", "posix/io/rw/*", "posix/io/dir/*"};

int failEveryCall(const EditScenario& s, bool persistent) {
    return s.failInTurn(persistent, [&](const TempTree& tree, RecordingWindow& window,
                                        std::uint64_t n, bool persistent) {
        PosixFileSystem files;
        injection = {0, n, persistent, false};
        for (const char* point : kPoints) fiu_enable_external(point, 1, nullptr, 0, decide);
        s.run(tree, files, window);
        for (const char* point : kPoints) fiu_disable(point);
        return injection.failed;
    });
}

const EditScenario kScenarios[] = {
    {"Set", Edit::Set, "A\r\n800\r\nTERRAIN\r\n\r\nBASE_TEX a.dds\r\n"},
    {"Set over an end mark with a long tail", Edit::Set,
     "A\r\nBASE\r\n\x1a" + std::string(100, 'q')},
    {"Clear", Edit::Clear, "A\r\nBASE\r\n\r\nDECAL_LIB lib/g10/decals/x.dcl\r\n"},
    {"Clear beside a working copy", Edit::Clear, "A\nBASE\nDECAL_LIB x\n", true},
};

TEST(FiuLoop, EverySystemCallFailingOnceOrForGoodLosesNothing) {
    ASSERT_EQ(fiu_init(0), 0);
    int failedRuns = 0;
    for (const bool persistent : {false, true}) {
        for (const auto& s : kScenarios) {
            const int runs = failEveryCall(s, persistent);
            // Fewer would mean the preload library is not in place.
            EXPECT_GE(runs, 3) << s.what;
            failedRuns += runs;
        }
    }
    RecordProperty("failedRuns", failedRuns);
}

}  // namespace
}  // namespace grittydecal
