#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace grittydecal::bench {

// Puts the terrain folders of a working tree back as they are in the pristine
// tree it was copied from: the only folders Set and Clear may change. Holds
// the pristine bytes in memory, so a restore only writes.
class TerrainRestore {
public:
    TerrainRestore(const std::string& pristine, const std::string& work);
    void restore();

private:
    struct File {
        std::string name;
        std::string bytes;
        mode_t mode;
    };
    struct Folder {
        std::string relative;
        std::vector<File> files;
    };
    void gather(const std::string& relative);

    std::string pristine_;
    std::string work_;
    std::vector<Folder> folders_;
};

// Every file and folder below root by relative path, a file with a hash of its
// bytes, to tell whether two runs left the same tree.
using TreeDigest = std::map<std::string, std::uint64_t>;
TreeDigest DigestTree(const std::string& root);

// What differs between two digests, in a line: "identical", or counts and a
// few examples.
std::string CompareDigests(const TreeDigest& expected, const TreeDigest& actual);

}  // namespace grittydecal::bench
