#pragma once

#include "terrain/FileSystem.h"

namespace grittydecal {

// The file services on Linux. Windows' attribute word is made from lstat:
// folder 16, read-only 1 when no write bit is set, hidden 2 for a name that
// begins with ".", reparse point 1024 for a symbolic link.
class PosixFileSystem final : public FileSystem {
public:
    std::optional<std::uint32_t> attributes(const std::string& path) override;
    std::optional<std::string> storedName(const std::string& path) override;
    std::optional<std::string> storedPath(const std::string& path) override;
    std::unique_ptr<Listing> list(const std::string& folder) override;
    std::optional<FileStatus> status(const std::string& path) override;
    std::unique_ptr<File> openForAppending(const std::string& path) override;
    std::unique_ptr<File> openForReading(const std::string& path) override;
    std::unique_ptr<File> openForRewriting(const std::string& path) override;
    std::unique_ptr<File> createNew(const std::string& path) override;
    bool remove(const std::string& path) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool replace(const std::string& from, const std::string& to) override;
    Outcome exchange(const std::string& first, const std::string& second) override;
    Outcome link(const std::string& existing, const std::string& newName) override;
};

}  // namespace grittydecal
