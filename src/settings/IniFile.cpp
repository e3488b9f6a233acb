#include "settings/IniFile.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <optional>
#include <random>
#include <system_error>

namespace grittydecal {

namespace fs = std::filesystem;

namespace {

// The file's bytes; empty for a missing file, nothing when what the path names
// cannot be read as a file.
std::optional<std::string> readText(const fs::path& path) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    if (status.type() == fs::file_type::not_found) return std::string();
    if (status.type() != fs::file_type::regular) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) text.append(buffer, in.gcount());
    if (in.bad()) return std::nullopt;
    return text;
}

enum class Created { Done, NameTaken, Failed };

Created writeNewFile(const fs::path& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file == nullptr) return errno == EEXIST ? Created::NameTaken : Created::Failed;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (written) return Created::Done;
    std::error_code error;
    fs::remove(path, error);
    return Created::Failed;
}

// Puts the text in place of the file through a new file beside it, so that the
// file always holds either its old or its new text.
bool replaceText(const fs::path& path, const std::string& text) {
    std::error_code error;
    fs::path target = path;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        target = fs::weakly_canonical(path, error);
        if (error) return false;
    }
    fs::file_status old = fs::status(target, error);
    // Replacing the file would pass over its write protection, so keep to it.
    constexpr auto kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    bool exists = old.type() == fs::file_type::regular;
    if (exists && (old.permissions() & kAnyWrite) == fs::perms::none) return false;

    std::random_device random;
    for (int attempt = 0; attempt < 8; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        fs::path temporary = target;
        temporary.replace_filename("." + target.filename().string() + suffix);
        Created created = writeNewFile(temporary, text);
        if (created == Created::NameTaken) continue;
        if (created == Created::Failed) return false;
        if (exists) fs::permissions(temporary, old.permissions(), error);
        fs::rename(temporary, target, error);
        if (!error) return true;
        fs::remove(temporary, error);
        return false;
    }
    return false;
}

}  // namespace

IniText IniFile::load() const { return IniText(readText(path_).value_or(std::string())); }

std::string IniFile::read(std::string_view section, std::string_view key,
                          std::string_view fallback) const {
    return load().read(section, key, fallback);
}

bool IniFile::write(std::string_view section, std::string_view key, std::string_view value) {
    IniEntry entry{std::string(key), std::string(value)};
    return write(section, std::span(&entry, 1));
}

bool IniFile::write(std::string_view section, std::span<const IniEntry> entries) {
    std::optional<std::string> text = readText(path_);
    if (!text) return false;
    IniText ini(std::move(*text));
    std::size_t stored = 0;
    while (stored < entries.size() &&
           ini.write(section, entries[stored].key, entries[stored].value)) {
        ++stored;
    }
    if (stored == 0) return entries.empty();
    return replaceText(path_, ini.text()) && stored == entries.size();
}

}  // namespace grittydecal
