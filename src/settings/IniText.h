#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace grittydecal {

// The text of an initialization file, read and edited much as the Windows profile
// functions do, byte for byte and without any change of encoding.
//
// How lines are read:
// - A line ends at LF; a CR before it belongs to the line break. Blanks (space,
//   tab, CR, VT, FF) around a line are ignored.
// - "[name]" starts a section; blanks inside the brackets are ignored. A
//   section that appears twice is read as one; new keys go to where it first
//   appears.
// - In a section, "key=value" is a key, cut at the first "="; blanks around
//   the key and the value are ignored. The first of two equal keys counts.
// - Lines starting with ";", lines without "=", and lines before the first
//   section are kept as they are and never read.
// - Section and key names match in any ASCII letter case.
// - A UTF-8 byte order mark before the first line is passed over.
class IniText {
public:
    // What a read gives at most, as a Windows read into 2048 bytes does.
    static constexpr std::size_t kMaxValueLength = 2047;

    IniText() = default;
    explicit IniText(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }

    // The key's value with one pair of enclosing quote marks (both double or
    // both single) dropped and cut to kMaxValueLength; the fallback when the
    // section or the key is missing.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view fallback) const;

    // Replaces the value of the key in place, or adds the key at the end of
    // its section, or the section at the end of the text. Every other byte
    // stays. New lines take the line break the text already uses (LF in a new
    // text). False, and nothing changed, for what cannot be stored: an empty
    // or bracketed section name, a key that is empty, has blanks around it or
    // holds "=" or would read as a section or comment, any line break.
    bool write(std::string_view section, std::string_view key, std::string_view value);

private:
    struct Found;
    Found find(std::string_view section, std::string_view key) const;
    std::string_view lineBreak() const;

    std::string text_;
};

}  // namespace grittydecal
