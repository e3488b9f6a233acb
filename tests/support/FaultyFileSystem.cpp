#include "support/FaultyFileSystem.h"

#include <signal.h>

namespace grittydecal::testing {

namespace {
class FaultyFile final : public File {
public:
    FaultyFile(std::unique_ptr<File> real, FaultyFileSystem& faults)
        : real_(std::move(real)), faults_(faults) {}

    std::optional<FileStatus> status() override {
        if (faults_.fails("status")) return std::nullopt;
        return real_->status();
    }
    std::optional<std::size_t> read(std::span<char> into) override {
        if (faults_.fails("read")) return std::nullopt;
        return real_->read(into);
    }
    std::optional<std::size_t> readAt(std::uint64_t offset, std::span<char> into) override {
        if (faults_.fails("readAt")) return std::nullopt;
        return real_->readAt(offset, into);
    }
    // A short write gets half of its bytes out before it fails, as on a disk
    // that has just filled up.
    bool write(std::string_view bytes) override {
        if (faults_.fails("write")) return false;
        if (!faults_.failing.erase("shortWrite")) return real_->write(bytes);
        real_->write(bytes.substr(0, bytes.size() / 2));
        return false;
    }
    bool writeAt(std::uint64_t offset, std::string_view bytes) override {
        if (faults_.fails("writeAt")) return false;
        if (!faults_.failing.erase("shortWrite")) return real_->writeAt(offset, bytes);
        real_->writeAt(offset, bytes.substr(0, bytes.size() / 2));
        return false;
    }
    bool truncate(std::uint64_t length) override {
        return !faults_.fails("truncate") && real_->truncate(length);
    }
    bool takeAccessOf(const FileStatus& other) override {
        return !faults_.fails("takeAccessOf") && real_->takeAccessOf(other);
    }
    bool close() override {
        // A close that fails still lets the descriptor go, as close(2) does.
        const bool closed = real_->close();
        return !faults_.fails("close") && closed;
    }

private:
    std::unique_ptr<File> real_;
    FaultyFileSystem& faults_;
};
}  // namespace

bool FaultyFileSystem::fails(const std::string& operation) {
    ++calls;
    if (killAt != 0 && calls == killAt) ::raise(SIGKILL);
    const bool fail = failing.contains(operation) ||
                      (failAt != 0 && (calls == failAt || (persistent && calls > failAt)));
    failed = failed || fail;
    return fail;
}

std::unique_ptr<File> FaultyFileSystem::wrap(std::unique_ptr<File> file) {
    if (!file) return nullptr;
    return std::make_unique<FaultyFile>(std::move(file), *this);
}

std::optional<std::uint32_t> FaultyFileSystem::attributes(const std::string& path) {
    if (fails("attributes")) return std::nullopt;
    return real_.attributes(path);
}

std::optional<std::string> FaultyFileSystem::storedName(const std::string& path) {
    if (fails("storedName")) return std::nullopt;
    return real_.storedName(path);
}

std::optional<std::string> FaultyFileSystem::storedPath(const std::string& path) {
    if (fails("storedPath")) return std::nullopt;
    return real_.storedPath(path);
}

std::unique_ptr<Listing> FaultyFileSystem::list(const std::string& folder) {
    return fails("list") ? nullptr : real_.list(folder);
}

std::optional<FileStatus> FaultyFileSystem::status(const std::string& path) {
    if (fails("status")) return std::nullopt;
    return real_.status(path);
}

std::unique_ptr<File> FaultyFileSystem::openForEditing(const std::string& path) {
    return fails("openForEditing") ? nullptr : wrap(real_.openForEditing(path));
}

std::unique_ptr<File> FaultyFileSystem::openForReading(const std::string& path) {
    return fails("openForReading") ? nullptr : wrap(real_.openForReading(path));
}

std::unique_ptr<File> FaultyFileSystem::openForRewriting(const std::string& path) {
    return fails("openForRewriting") ? nullptr : wrap(real_.openForRewriting(path));
}

std::unique_ptr<File> FaultyFileSystem::createNew(const std::string& path) {
    return fails("createNew") ? nullptr : wrap(real_.createNew(path));
}

bool FaultyFileSystem::remove(const std::string& path) {
    return !fails("remove") && real_.remove(path);
}

bool FaultyFileSystem::rename(const std::string& from, const std::string& to) {
    return !fails("rename") && real_.rename(from, to);
}

bool FaultyFileSystem::replace(const std::string& from, const std::string& to) {
    return !fails("replace") && real_.replace(from, to);
}

Outcome FaultyFileSystem::exchange(const std::string& first, const std::string& second) {
    if (fails("exchange")) return Outcome::Failed;
    if (failing.contains("unsupportedExchange")) return Outcome::Unsupported;
    return real_.exchange(first, second);
}

Outcome FaultyFileSystem::link(const std::string& existing, const std::string& newName) {
    if (fails("link")) return Outcome::Failed;
    if (failing.contains("unsupportedLink")) return Outcome::Unsupported;
    return real_.link(existing, newName);
}

}  // namespace grittydecal::testing
