#include "settings/IniText.h"

#include "settings/AsciiCase.h"

namespace grittydecal {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool hasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != text.npos; }

// One line of the text: [begin, end) without its break, next after the break.
struct Line {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::size_t next = 0;
};

class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {
        if (text_.starts_with("\xEF\xBB\xBF")) position_ = 3;
    }

    bool next(Line& line) {
        if (position_ >= text_.size()) return false;
        line.begin = position_;
        std::size_t lf = text_.find('\n', position_);
        if (lf == text_.npos) {
            line.end = line.next = text_.size();
        } else {
            line.end = lf > line.begin && text_[lf - 1] == '\r' ? lf - 1 : lf;
            line.next = lf + 1;
        }
        position_ = line.next;
        return true;
    }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

// The section a header line names, or nothing when the line is no header.
std::optional<std::string_view> sectionName(std::string_view content) {
    if (!content.starts_with('[')) return std::nullopt;
    content.remove_prefix(1);
    return trimBlanks(content.substr(0, content.find(']')));
}

}  // namespace

struct IniText::Found {
    bool section = false;
    // Where a new key of the section goes: after its last line that is not blank.
    std::size_t sectionEnd = 0;
    bool sectionEndHasBreak = true;
    bool key = false;
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
};

IniText::Found IniText::find(std::string_view section, std::string_view key) const {
    Found found;
    std::string_view text = text_;
    bool inSection = false;
    bool inFirstSection = false;
    Lines lines(text);
    Line line;
    while (lines.next(line)) {
        std::string_view raw = text.substr(line.begin, line.end - line.begin);
        std::string_view content = trimBlanks(raw);
        if (std::optional<std::string_view> name = sectionName(content)) {
            inSection = equalsIgnoringAsciiCase(*name, section);
            inFirstSection = inSection && !found.section;
            found.section = found.section || inSection;
        } else if (!inSection || content.empty()) {
            continue;
        }
        if (inFirstSection) {
            found.sectionEnd = line.next;
            found.sectionEndHasBreak = line.next > line.end;
        }
        if (content.starts_with('[') || content.starts_with(';')) continue;  // header, comment

        std::size_t equals = content.find('=');
        if (equals == content.npos ||
            !equalsIgnoringAsciiCase(trimBlanks(content.substr(0, equals)), key))
            continue;
        std::size_t contentBegin = line.begin + (content.data() - raw.data());
        std::size_t valueEnd = contentBegin + content.size();
        std::size_t valueBegin = contentBegin + equals + 1;
        while (valueBegin < valueEnd && isBlank(text[valueBegin])) ++valueBegin;
        found.key = true;
        found.valueBegin = valueBegin;
        found.valueEnd = valueEnd;
        break;
    }
    return found;
}

std::string IniText::read(std::string_view section, std::string_view key,
                          std::string_view fallback) const {
    Found found = find(section, key);
    if (!found.key) return std::string(fallback);
    std::string_view value =
        std::string_view(text_).substr(found.valueBegin, found.valueEnd - found.valueBegin);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value.substr(0, kMaxValueLength));
}

std::string_view IniText::lineBreak() const {
    std::size_t lf = text_.find('\n');
    if (lf == text_.npos) return "\n";
    return lf > 0 && text_[lf - 1] == '\r' ? "\r\n" : "\n";
}

bool IniText::write(std::string_view section, std::string_view key, std::string_view value) {
    bool storable = !section.empty() && trimBlanks(section) == section &&
                    section.find(']') == section.npos && !hasLineBreak(section) && !key.empty() &&
                    trimBlanks(key) == key && key.find('=') == key.npos && !key.starts_with('[') &&
                    !key.starts_with(';') && !hasLineBreak(key) && !hasLineBreak(value);
    if (!storable) return false;

    Found found = find(section, key);
    if (found.key) {
        text_.replace(found.valueBegin, found.valueEnd - found.valueBegin, value);
        return true;
    }
    std::string_view eol = lineBreak();
    std::string entry = std::string(key) + '=' + std::string(value) + std::string(eol);
    if (found.section) {
        if (!found.sectionEndHasBreak) {
            text_.insert(found.sectionEnd, eol);
            found.sectionEnd += eol.size();
        }
        text_.insert(found.sectionEnd, entry);
        return true;
    }
    // A new section, set off by one blank line from what comes before.
    std::string added;
    if (!text_.empty() && !text_.ends_with('\n')) added += eol;
    std::string_view body = text_;
    if (body.ends_with('\n')) body.remove_suffix(1);
    if (!text_.empty() && !trimBlanks(body.substr(body.rfind('\n') + 1)).empty()) added += eol;
    added += '[' + std::string(section) + ']' + std::string(eol) + entry;
    text_ += added;
    return true;
}

}  // namespace grittydecal
