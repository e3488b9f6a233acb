#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "support/RecordingWindow.h"
#include "support/TempTree.h"
#include "terrain/FileSystem.h"

namespace grittydecal::testing {

// One edit of terrain/a.ter in a fresh tree, for the tests that break the
// file operations under it. A Clear may come after another file of the same
// folder, cleared by the same edits: the working copy is then the one kept
// open from that file.
struct EditScenario {
    enum class Edit { Set, Clear };

    const char* what;
    Edit edit;
    std::string before;
    bool earlierCopy = false;  // a temp.txt is there already
    bool noExchange = false;
    bool noHardLinks = false;
    bool afterAnother = false;

    void prepare(const TempTree& tree) const;
    void run(const TempTree& tree, FileSystem& files, WindowSystem& window) const;
    // The text the edit gives when nothing fails.
    std::string edited() const;

    // After a run in which some operation failed: the terrain file is its
    // previous or its edited text, the previous text is the working copy
    // whenever the file is not, and a failed edit beeps. After a single
    // failure nothing is left beside the file either. An earlier working
    // copy may be gone: it only ever keeps the text of the file cleared last.
    void expectNothingLost(const TempTree& tree, const RecordingWindow& window,
                           const std::string& edited, bool singleFailure,
                           const std::string& at) const;

    // Runs the edit with its n-th file operation failing (with persistent,
    // every one from the n-th on), for n = 1, 2, ... until a run in which
    // nothing failed, and checks each run. runFailing runs the edit so and
    // says whether a failure was injected. Returns how many runs had one.
    using RunFailing = std::function<bool(const TempTree& tree, RecordingWindow& window,
                                          std::uint64_t n, bool persistent)>;
    int failInTurn(bool persistent, const RunFailing& runFailing) const;
};

}  // namespace grittydecal::testing
