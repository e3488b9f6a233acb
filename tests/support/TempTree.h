#pragma once

#include <string>

namespace grittydecal::testing {

// A folder tree of real files in a fresh temporary folder, removed again at
// the end of the test. Paths are relative to its root.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The root, ending in "/".
    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + relative; }

    void folder(const std::string& relative) const;  // with its parents
    void file(const std::string& relative, const std::string& bytes) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;  // links not followed
    void chmod(const std::string& relative, unsigned mode) const;

private:
    std::string root_;
};

}  // namespace grittydecal::testing
