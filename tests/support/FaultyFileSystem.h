#pragma once

#include <memory>
#include <set>
#include <string>

#include "terrain/PosixFileSystem.h"

namespace grittydecal::testing {

// The real file services with failures on demand. An operation fails,
// without doing anything, when it is named in failing, when it is the
// failAt-th call (counting from 1), or with persistent set any call after
// that. At the killAt-th call the process is killed instead.
//
// Names: "attributes", "storedName", "storedPath", "list", "status",
// "openForEditing", "openForReading", "openForRewriting", "createNew",
// "remove", "rename", "replace", "exchange", "link", "unsupportedExchange"
// and "unsupportedLink" (the file system cannot do these), and of open files "status", "read",
// "readAt", "write", "writeAt", "truncate", "takeAccessOf", "close"; "shortWrite" makes the next
// write put out half of its bytes and then fail.
class FaultyFileSystem final : public FileSystem {
public:
    std::set<std::string> failing;
    std::uint64_t failAt = 0;
    bool persistent = false;
    std::uint64_t killAt = 0;
    std::uint64_t calls = 0;
    // Whether an injected failure was answered.
    bool failed = false;

    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::optional<std::string> storedName(const std::string& path) override;
    std::optional<std::string> storedPath(const std::string& path) override;
    std::unique_ptr<Listing> list(const std::string& folder) override;
    std::optional<FileStatus> status(const std::string& path) override;
    std::unique_ptr<File> openForEditing(const std::string& path) override;
    std::unique_ptr<File> openForReading(const std::string& path) override;
    std::unique_ptr<File> openForRewriting(const std::string& path) override;
    std::unique_ptr<File> createNew(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool replace(const std::string& from, const std::string& to) override;
    Outcome exchange(const std::string& first, const std::string& second) override;
    Outcome link(const std::string& existing, const std::string& newName) override;

    // Counts the call and says whether it is to fail.
    bool fails(const std::string& operation);

private:
    std::unique_ptr<File> wrap(std::unique_ptr<File> file);

    PosixFileSystem real_;
};

}  // namespace grittydecal::testing
