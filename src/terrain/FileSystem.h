#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace grittydecal {

// Bits of an entry's attribute word, as the walk tests them.
namespace attribute {
inline constexpr std::uint32_t kReadOnly = 1;
inline constexpr std::uint32_t kHidden = 2;
inline constexpr std::uint32_t kFolder = 16;
inline constexpr std::uint32_t kReparsePoint = 1024;
inline constexpr std::uint32_t kCompressed = 2048;
}  // namespace attribute

// One entry of a folder listing. The name is the stored one and stays valid
// only until the listing advances.
struct Entry {
    std::string_view name;
    std::uint32_t attributes = 0;
};

class Listing {
public:
    virtual ~Listing() = default;
    // False at the end of the listing and on any error while advancing.
    virtual bool next(Entry& entry) = 0;
};

enum class FileKind { Missing, Regular, Folder, Link, Other };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    std::uint32_t permissions = 0;  // the mode's permission bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    std::uint64_t size = 0;
    std::uint64_t links = 1;  // names the file has
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    bool readOnly() const { return (permissions & 0222) == 0; }
    bool sameFileAs(const FileStatus& other) const {
        return kind != FileKind::Missing && device == other.device && inode == other.inode;
    }
};

// An open file. Closed by close() or, failures ignored, by the destructor.
class File {
public:
    virtual ~File() = default;

    // What the file was when it was opened.
    virtual std::optional<FileStatus> status() = 0;
    // Reads on from the current position; 0 at the end.
    virtual std::optional<std::size_t> read(std::span<char> into) = 0;
    virtual std::optional<std::size_t> readAt(std::uint64_t offset, std::span<char> into) = 0;
    // All bytes or failure.
    virtual bool write(std::string_view bytes) = 0;
    virtual bool writeAt(std::uint64_t offset, std::string_view bytes) = 0;
    virtual bool truncate(std::uint64_t length) = 0;
    // Gives the file the permissions and, where allowed, the owner of another.
    virtual bool takeAccessOf(const FileStatus& other) = 0;
    virtual bool close() = 0;
};

enum class Outcome { Done, Unsupported, Failed };

// The file services the commands, the walk and the edits rest on. Paths are
// byte strings in the system's encoding.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The attribute word of what the path names, resolving letter case as a
    // case-insensitive file system would; nothing when there is no such entry.
    virtual std::optional<std::uint32_t> attributes(const std::string& path) = 0;

    // The stored name of the last component of the path, resolved the same
    // way; nothing when there is no such entry or the path ends in "/".
    virtual std::optional<std::string> storedName(const std::string& path) = 0;

    // The whole path in its stored spelling, resolved the same way.
    virtual std::optional<std::string> storedPath(const std::string& path) = 0;

    // Every entry of the folder, "." and ".." included; null when the folder
    // cannot be listed.
    virtual std::unique_ptr<Listing> list(const std::string& folder) = 0;

    // What the path itself names, links not followed; nothing on an error
    // other than a missing entry.
    virtual std::optional<FileStatus> status(const std::string& path) = 0;

    // Regular files only, never through a link. Opening for editing (reading
    // and writing in place) refuses a file without any write permission, as a
    // read-only file is refused.
    virtual std::unique_ptr<File> openForEditing(const std::string& path) = 0;
    virtual std::unique_ptr<File> openForReading(const std::string& path) = 0;
    // For writing over the content from the start, without emptying it first.
    virtual std::unique_ptr<File> openForRewriting(const std::string& path) = 0;
    // A new file, readable and writable by its owner only; fails if the name
    // is taken.
    virtual std::unique_ptr<File> createNew(const std::string& path) = 0;

    virtual bool remove(const std::string& path) = 0;
    // Fails when the new name is taken.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Takes the new name over from whatever file holds it.
    virtual bool replace(const std::string& from, const std::string& to) = 0;
    // Swaps the names of two files in one step, where the file system can.
    virtual Outcome exchange(const std::string& first, const std::string& second) = 0;
    // A second name for an existing file, where the file system has them.
    virtual Outcome link(const std::string& existing, const std::string& newName) = 0;
};

}  // namespace grittydecal
