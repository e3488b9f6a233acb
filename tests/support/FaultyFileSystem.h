#pragma once

#include <memory>
#include <set>
#include <string>

#include "terrain/PosixFileSystem.h"

namespace grittydecal::testing {

// The real file services, but every operation named in failing fails
// without doing anything. Names: "list", "status", "openForAppending",
// "openForReading", "createNew", "remove", "rename", "replace", "link",
// "unsupportedLink" (link answers that there are no hard links), and of open
// files "read", "readAt", "write", "writeAt", "truncate", "takeAccessOf",
// "close".
class FaultyFileSystem final : public FileSystem {
public:
    std::set<std::string> failing;

    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::optional<std::string> storedName(const std::string& path) override;
    std::optional<std::string> storedPath(const std::string& path) override;
    std::unique_ptr<Listing> list(const std::string& folder) override;
    std::optional<FileStatus> status(const std::string& path) override;
    std::unique_ptr<File> openForAppending(const std::string& path) override;
    std::unique_ptr<File> openForReading(const std::string& path) override;
    std::unique_ptr<File> createNew(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool replace(const std::string& from, const std::string& to) override;
    LinkResult link(const std::string& existing, const std::string& newName) override;

    bool fails(const std::string& operation) const { return failing.contains(operation); }

private:
    std::unique_ptr<File> wrap(std::unique_ptr<File> file);

    PosixFileSystem real_;
};

}  // namespace grittydecal::testing
