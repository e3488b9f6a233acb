#include "TreeCopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string_view>

namespace grittydecal::bench {

namespace {

bool isTerrainName(std::string_view name) {
    constexpr std::string_view kTerrain = "terrain";
    if (name.size() != kTerrain.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i] >= 'A' && name[i] <= 'Z' ? static_cast<char>(name[i] + 32) : name[i];
        if (c != kTerrain[i]) return false;
    }
    return true;
}

std::string readFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot read " + path);
    std::string bytes;
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got <= 0) break;
        bytes.append(block, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return bytes;
}

// Names and kinds of a folder's entries, "." and ".." left out.
std::vector<std::pair<std::string, unsigned char>> entriesOf(const std::string& folder) {
    std::vector<std::pair<std::string, unsigned char>> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return entries;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN) {
            struct stat st;
            if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_UNKNOWN;
            }
        }
        entries.emplace_back(e->d_name, type);
    }
    ::closedir(dir);
    return entries;
}

std::uint64_t hashBytes(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

void digestFolder(const std::string& root, const std::string& relative, TreeDigest& digest) {
    for (const auto& [name, type] : entriesOf(root + relative)) {
        const std::string path = relative + "/" + name;
        if (type == DT_DIR) {
            digest[path + "/"] = 0;
            digestFolder(root, path, digest);
        } else {
            digest[path] = hashBytes(readFile(root + path));
        }
    }
}

}  // namespace

TerrainRestore::TerrainRestore(const std::string& pristine, const std::string& work)
    : pristine_(pristine), work_(work) {
    gather("");
}

void TerrainRestore::gather(const std::string& relative) {
    for (const auto& [name, type] : entriesOf(pristine_ + relative)) {
        if (type != DT_DIR) continue;
        const std::string path = relative + "/" + name;
        if (isTerrainName(name)) {
            Folder folder{path, {}};
            for (const auto& [fileName, fileType] : entriesOf(pristine_ + path)) {
                if (fileType != DT_REG) continue;
                const std::string source = pristine_ + path + "/" + fileName;
                struct stat st;
                if (::stat(source.c_str(), &st) != 0)
                    throw std::runtime_error("cannot stat " + source);
                folder.files.push_back({fileName, readFile(source), st.st_mode & 07777});
            }
            folders_.push_back(std::move(folder));
        }
        gather(path);
    }
}

void TerrainRestore::restore() {
    for (const Folder& folder : folders_) {
        const std::string base = work_ + folder.relative + "/";
        std::set<std::string_view> names;
        for (const File& file : folder.files) {
            names.insert(file.name);
            const std::string path = base + file.name;
            // Rewriting in place keeps the directory as it is; a Clear that
            // replaced the file left a new inode, which this overwrites too.
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, file.bytes.data(), file.bytes.size()) !=
                              static_cast<ssize_t>(file.bytes.size())) {
                throw std::runtime_error("cannot restore " + path);
            }
            ::fchmod(fd, file.mode);
            ::close(fd);
        }
        for (const auto& [name, type] : entriesOf(base)) {
            if (type != DT_DIR && !names.contains(name)) ::unlink((base + name).c_str());
        }
    }
}

TreeDigest DigestTree(const std::string& root) {
    TreeDigest digest;
    digestFolder(root, "", digest);
    return digest;
}

std::string CompareDigests(const TreeDigest& expected, const TreeDigest& actual) {
    std::size_t changed = 0, missing = 0, extra = 0, workingCopies = 0;
    std::vector<std::string> examples;
    auto note = [&](const std::string& path, std::size_t& count) {
        ++count;
        if (path.ends_with("/temp.txt")) ++workingCopies;
        if (examples.size() < 2) examples.push_back(path);
    };
    for (const auto& [path, hash] : expected) {
        const auto found = actual.find(path);
        if (found == actual.end()) {
            note(path, missing);
        } else if (found->second != hash) {
            note(path, changed);
        }
    }
    for (const auto& [path, hash] : actual) {
        if (!expected.contains(path)) note(path, extra);
    }
    const std::size_t total = changed + missing + extra;
    if (total == 0) return "identical";
    std::string text = std::to_string(changed) + " differ, " + std::to_string(missing) +
                       " missing, " + std::to_string(extra) + " extra";
    if (workingCopies == total) {
        text += " (all of them temp.txt; terrain files identical)";
    } else {
        text += "; e.g.";
        for (const std::string& e : examples) text += " " + e;
    }
    return text;
}

}  // namespace grittydecal::bench
