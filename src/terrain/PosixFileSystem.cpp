#include "terrain/PosixFileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace grittydecal {

namespace {

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool isHiddenName(std::string_view name) { return !name.empty() && name[0] == '.'; }

std::uint32_t attributeWord(const struct stat& st, std::string_view name, bool linksToFolder) {
    std::uint32_t word = 0;
    if (S_ISDIR(st.st_mode)) word |= attribute::kFolder;
    if (S_ISLNK(st.st_mode)) {
        word |= attribute::kReparsePoint;
        if (linksToFolder) word |= attribute::kFolder;
    } else if ((st.st_mode & 0222) == 0) {
        word |= attribute::kReadOnly;
    }
    if (isHiddenName(name)) word |= attribute::kHidden;
    return word;
}

std::string_view lastComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// The stored spelling of a component of folder, matched without regard to
// ASCII letter case.
std::optional<std::string> findIgnoringCase(const std::string& folder, std::string_view name) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        if (equalIgnoringAsciiCase(entry->d_name, name)) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// The path as the file system stores it, each component matched exactly if it
// can be and otherwise without regard to letter case, as Windows would.
std::optional<std::string> resolve(const std::string& path) {
    if (path.empty()) return std::nullopt;
    if (exists(path)) return path;
    std::string resolved = path[0] == '/' ? "/" : "";
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto slash = path.find('/', start);
        const std::size_t end = slash == std::string::npos ? path.size() : slash;
        const std::string_view component = std::string_view(path).substr(start, end - start);
        if (!component.empty()) {
            if (!resolved.empty() && resolved.back() != '/') resolved.push_back('/');
            std::string candidate = resolved;
            candidate.append(component);
            if (exists(candidate)) {
                resolved = std::move(candidate);
            } else {
                const auto stored = findIgnoringCase(resolved, component);
                if (!stored) return std::nullopt;
                resolved.append(*stored);
            }
        }
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    if (path.back() == '/' && resolved.back() != '/') resolved.push_back('/');
    return resolved;
}

FileStatus toStatus(const struct stat& st) {
    FileStatus status;
    if (S_ISREG(st.st_mode)) {
        status.kind = FileKind::Regular;
    } else if (S_ISDIR(st.st_mode)) {
        status.kind = FileKind::Folder;
    } else if (S_ISLNK(st.st_mode)) {
        status.kind = FileKind::Link;
    } else {
        status.kind = FileKind::Other;
    }
    status.permissions = st.st_mode & 07777;
    status.owner = st.st_uid;
    status.group = st.st_gid;
    status.size = static_cast<std::uint64_t>(st.st_size);
    status.links = st.st_nlink;
    status.device = st.st_dev;
    status.inode = st.st_ino;
    return status;
}

class PosixFile final : public File {
public:
    PosixFile(int fd, const struct stat& opened) : fd_(fd), opened_(toStatus(opened)) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;

    std::optional<FileStatus> status() override { return opened_; }

    std::optional<std::size_t> read(std::span<char> into) override {
        for (;;) {
            const ssize_t got = ::read(fd_, into.data(), into.size());
            if (got >= 0) return static_cast<std::size_t>(got);
            if (errno != EINTR) return std::nullopt;
        }
    }

    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<char> into) override {
        std::size_t done = 0;
        while (done < into.size()) {
            const ssize_t got = ::pread(fd_, into.data() + done, into.size() - done,
                                        static_cast<off_t>(offset + done));
            if (got == 0) break;
            if (got < 0) {
                if (errno == EINTR) continue;
                return std::nullopt;
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    bool write(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t put = ::write(fd_, bytes.data(), bytes.size());
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
        }
        return true;
    }

    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t put =
                ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
            if (put < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(put));
            offset += static_cast<std::uint64_t>(put);
        }
        return true;
    }

    bool truncate(std::uint64_t length) override {
        return ::ftruncate(fd_, static_cast<off_t>(length)) == 0;
    }

    bool takeAccessOf(const FileStatus& other) override {
        // Only root may give a file away; anyone else keeps the new file as
        // their own.
        static const bool mayGiveAway = ::geteuid() == 0;
        if (mayGiveAway && (other.owner != opened_.owner || other.group != opened_.group)) {
            if (::fchown(fd_, other.owner, other.group) == 0) {
                opened_.owner = other.owner;
                opened_.group = other.group;
            }
        }
        if (other.permissions == opened_.permissions) return true;
        if (::fchmod(fd_, other.permissions) != 0) return false;
        opened_.permissions = other.permissions;
        return true;
    }

    bool close() override {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
    FileStatus opened_;
};

// Opens a regular file only, and never through a link: a FIFO must not make
// the walk wait, and opening a device can have effects of its own. An entry
// its listing has just shown to be a regular file needs no look beforehand.
std::unique_ptr<File> openRegular(int folder, const char* name, bool listedAsRegular, int flags,
                                  bool needsWriteBit) {
    struct stat st;
    if (!listedAsRegular &&
        (::fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))) {
        return nullptr;
    }
    const int fd = ::openat(folder, name, flags | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // The name may have changed hands since the last look.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        (needsWriteBit && (st.st_mode & 0222) == 0)) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, st);
}

}  // namespace

struct ListedFolder {
    std::string path;  // ends in "/"
    int descriptor = -1;
    // The entry the listing stands on, and whether it was a regular file.
    std::string_view currentName;
    bool currentIsRegular = false;
    ListedFolder* outer = nullptr;
};

class PosixListing final : public Listing {
public:
    PosixListing(DIR* dir, std::string path, PosixFileSystem& files) : dir_(dir), files_(files) {
        folder_.path = std::move(path);
        if (folder_.path.empty() || folder_.path.back() != '/') folder_.path.push_back('/');
        folder_.descriptor = ::dirfd(dir);
        folder_.outer = files_.listedFolders_;
        files_.listedFolders_ = &folder_;
    }
    ~PosixListing() override {
        ListedFolder** link = &files_.listedFolders_;
        while (*link && *link != &folder_) link = &(*link)->outer;
        if (*link) *link = folder_.outer;
        ::closedir(dir_);
    }
    PosixListing(const PosixListing&) = delete;
    PosixListing& operator=(const PosixListing&) = delete;

    bool next(Entry& entry) override {
        const dirent* found = ::readdir(dir_);
        folder_.currentName = {};
        folder_.currentIsRegular = false;
        if (!found) return false;
        entry.name = found->d_name;
        entry.attributes = attributesOf(*found);
        folder_.currentName = entry.name;
        folder_.currentIsRegular = found->d_type == DT_REG;
        return true;
    }

private:
    // A regular file is told by its directory entry alone: nothing tests a
    // file's read-only bit, so the stat is saved for the entries that are
    // most of a scenery tree.
    std::uint32_t attributesOf(const dirent& found) {
        const std::string_view name = found.d_name;
        if (found.d_type != DT_DIR && found.d_type != DT_LNK && found.d_type != DT_UNKNOWN) {
            return isHiddenName(name) ? attribute::kHidden : 0;
        }
        struct stat st;
        if (::fstatat(folder_.descriptor, found.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            return isHiddenName(name) ? attribute::kHidden : 0;
        }
        bool linksToFolder = false;
        if (S_ISLNK(st.st_mode)) {
            struct stat target;
            linksToFolder = ::fstatat(folder_.descriptor, found.d_name, &target, 0) == 0 &&
                            S_ISDIR(target.st_mode);
        }
        return attributeWord(st, name, linksToFolder);
    }

    DIR* dir_;
    PosixFileSystem& files_;
    ListedFolder folder_;
};

PosixFileSystem::Place PosixFileSystem::place(const std::string& path) const {
    if (const ListedFolder* folder = listedFolders_) {
        const std::string& prefix = folder->path;
        if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
            path.find('/', prefix.size()) == std::string::npos) {
            const std::string_view name = std::string_view(path).substr(prefix.size());
            return {folder->descriptor, path.c_str() + prefix.size(),
                    folder->currentIsRegular && name == folder->currentName};
        }
    }
    return {AT_FDCWD, path.c_str(), false};
}

std::optional<std::uint32_t> PosixFileSystem::attributes(const std::string& path) {
    const auto resolved = resolve(path);
    if (!resolved) return std::nullopt;
    struct stat st;
    if (::lstat(resolved->c_str(), &st) != 0) return std::nullopt;
    bool linksToFolder = false;
    if (S_ISLNK(st.st_mode)) {
        struct stat target;
        linksToFolder = ::stat(resolved->c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    }
    return attributeWord(st, lastComponent(*resolved), linksToFolder);
}

std::optional<std::string> PosixFileSystem::storedName(const std::string& path) {
    if (path.empty() || path.back() == '/') return std::nullopt;
    const auto resolved = resolve(path);
    if (!resolved) return std::nullopt;
    return std::string(lastComponent(*resolved));
}

std::optional<std::string> PosixFileSystem::storedPath(const std::string& path) {
    return resolve(path);
}

std::unique_ptr<Listing> PosixFileSystem::list(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return nullptr;
    return std::make_unique<PosixListing>(dir, folder, *this);
}

std::optional<FileStatus> PosixFileSystem::status(const std::string& path) {
    const Place at = place(path);
    struct stat st;
    if (::fstatat(at.folder, at.name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) return FileStatus{};
        return std::nullopt;
    }
    return toStatus(st);
}

std::unique_ptr<File> PosixFileSystem::openForEditing(const std::string& path) {
    const Place at = place(path);
    return openRegular(at.folder, at.name, at.listedAsRegular, O_RDWR, true);
}

std::unique_ptr<File> PosixFileSystem::openForReading(const std::string& path) {
    const Place at = place(path);
    return openRegular(at.folder, at.name, at.listedAsRegular, O_RDONLY, false);
}

std::unique_ptr<File> PosixFileSystem::openForRewriting(const std::string& path) {
    const Place at = place(path);
    return openRegular(at.folder, at.name, at.listedAsRegular, O_WRONLY, true);
}

std::unique_ptr<File> PosixFileSystem::createNew(const std::string& path) {
    const Place at = place(path);
    const int fd =
        ::openat(at.folder, at.name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<PosixFile>(fd, st);
}

bool PosixFileSystem::remove(const std::string& path) {
    const Place at = place(path);
    return ::unlinkat(at.folder, at.name, 0) == 0;
}

bool PosixFileSystem::rename(const std::string& from, const std::string& to) {
    const Place source = place(from);
    const Place target = place(to);
    if (::renameat2(source.folder, source.name, target.folder, target.name, RENAME_NOREPLACE) ==
        0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without the flag: a second name, then drop the first.
    if (::linkat(source.folder, source.name, target.folder, target.name, 0) == 0) {
        ::unlinkat(source.folder, source.name, 0);
        return true;
    }
    struct stat st;
    if (errno == EEXIST || ::fstatat(target.folder, target.name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        return false;
    }
    return ::renameat(source.folder, source.name, target.folder, target.name) == 0;
}

bool PosixFileSystem::replace(const std::string& from, const std::string& to) {
    const Place source = place(from);
    const Place target = place(to);
    return ::renameat(source.folder, source.name, target.folder, target.name) == 0;
}

Outcome PosixFileSystem::exchange(const std::string& first, const std::string& second) {
    const Place one = place(first);
    const Place other = place(second);
    if (::renameat2(one.folder, one.name, other.folder, other.name, RENAME_EXCHANGE) == 0) {
        return Outcome::Done;
    }
    return errno == EINVAL || errno == ENOSYS ? Outcome::Unsupported : Outcome::Failed;
}

Outcome PosixFileSystem::link(const std::string& existing, const std::string& newName) {
    const Place source = place(existing);
    const Place target = place(newName);
    if (::linkat(source.folder, source.name, target.folder, target.name, 0) == 0) {
        return Outcome::Done;
    }
    switch (errno) {
        case EPERM:
        case EOPNOTSUPP:
        case EMLINK:
        case EXDEV:
            return Outcome::Unsupported;
        default:
            return Outcome::Failed;
    }
}

}  // namespace grittydecal
