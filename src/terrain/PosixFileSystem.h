#pragma once

#include <string>

#include "terrain/FileSystem.h"

namespace grittydecal {

struct ListedFolder;

// The file services on Linux. Windows' attribute word is made from lstat:
// folder 16, read-only 1 when no write bit is set, hidden 2 for a name that
// begins with ".", reparse point 1024 for a symbolic link. Listings must not
// outlive it.
class PosixFileSystem final : public FileSystem {
public:
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

private:
    friend class PosixListing;

    // Where an operation on a path goes: through the descriptor of the folder
    // being listed when the path names one of its entries, so the kernel looks
    // up one name rather than the whole path.
    struct Place {
        int folder;
        const char* name;
        bool listedAsRegular;
    };
    Place place(const std::string& path) const;

    // The folders being listed, innermost first.
    ListedFolder* listedFolders_ = nullptr;
};

}  // namespace grittydecal
