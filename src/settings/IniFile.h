#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "settings/IniText.h"

namespace grittydecal {

struct IniEntry {
    std::string key;
    std::string value;
};

// One initialization file on disk, read and written as the Windows profile
// functions do (see IniText). Nothing is cached: every call reads the file
// afresh, so there is nothing to flush.
//
// A write never leaves a half-written file: the new text goes to a new file in
// the same folder, which then takes the name over. A symbolic link is followed
// and stays a link. The file keeps its permission bits, and a file without any
// write permission is not written, even by root. Only the file itself is
// created, never its folder.
class IniFile {
public:
    explicit IniFile(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // The file's text; empty when the file is missing or cannot be read.
    IniText load() const;

    std::string read(std::string_view section, std::string_view key,
                     std::string_view fallback) const;

    // False when the value cannot be stored (see IniText::write) or the file
    // cannot be read or replaced, for instance when the path names a folder;
    // the file then stays as it was.
    bool write(std::string_view section, std::string_view key, std::string_view value);

    // Several keys of one section in one rewrite. An entry that cannot be
    // stored ends the batch: the entries before it are written, it and those
    // after it are not. True only when all were written.
    bool write(std::string_view section, std::span<const IniEntry> entries);

private:
    std::filesystem::path path_;
};

}  // namespace grittydecal
