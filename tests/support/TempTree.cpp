#include "support/TempTree.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace grittydecal::testing {

namespace fs = std::filesystem;

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "grittydecal-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    root_ = pattern + "/";
}

TempTree::~TempTree() {
    std::error_code ignored;
    // Tests take permissions away; give them back so everything can go.
    for (auto it = fs::recursive_directory_iterator(root_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    fs::remove_all(root_, ignored);
}

void TempTree::folder(const std::string& relative) const { fs::create_directories(path(relative)); }

void TempTree::file(const std::string& relative, const std::string& bytes) const {
    const fs::path target = path(relative);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) ADD_FAILURE() << "cannot write " << target;
}

std::string TempTree::read(const std::string& relative) const {
    std::ifstream in(path(relative), std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << relative;
        return {};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempTree::exists(const std::string& relative) const {
    struct stat st;
    return ::lstat(path(relative).c_str(), &st) == 0;
}

void TempTree::chmod(const std::string& relative, unsigned mode) const {
    if (::chmod(path(relative).c_str(), mode) != 0) ADD_FAILURE() << "chmod " << relative;
}

}  // namespace grittydecal::testing
