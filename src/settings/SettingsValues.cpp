#include "settings/SettingsValues.h"

#include <cstdlib>

#include "settings/AsciiCase.h"

namespace grittydecal {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isPositionCut(char c) { return c == ',' || isBlank(c); }

std::optional<unsigned> hexDigit(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

}  // namespace

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';

    std::string_view rest = text.substr(i);
    bool hex = false;
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        hex = true;
        rest.remove_prefix(1);
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        hex = true;
        rest.remove_prefix(2);
    }
    if (rest.empty()) return std::nullopt;

    // Hexadecimal spans the full 32-bit pattern; decimal stops at the signed range.
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    const unsigned base = hex ? 16 : 10;
    std::uint64_t value = 0;
    for (char c : rest) {
        std::optional<unsigned> digit = hexDigit(c);
        if (!digit || *digit >= base) return std::nullopt;
        value = value * base + *digit;
        if (value > limit) return std::nullopt;
    }
    auto bits = static_cast<std::uint32_t>(value);
    if (negative) bits = 0u - bits;
    return static_cast<std::int32_t>(bits);
}

std::string formatInteger(std::int32_t value) { return std::to_string(value); }

std::string formatPosition(const std::array<std::int32_t, 4>& values) {
    return formatInteger(values[0]) + ',' + formatInteger(values[1]) + ',' +
           formatInteger(values[2]) + ',' + formatInteger(values[3]);
}

std::array<std::optional<std::int32_t>, 4> parsePosition(std::string_view text) {
    std::array<std::optional<std::int32_t>, 4> words;
    std::size_t i = 0;
    for (auto& word : words) {
        while (i < text.size() && isPositionCut(text[i])) ++i;
        std::size_t start = i;
        while (i < text.size() && !isPositionCut(text[i])) ++i;
        if (i > start) word = parseInteger(text.substr(start, i - start));
    }
    return words;
}

std::string_view formatBoolean(bool value) { return value ? "True" : "False"; }

std::optional<bool> parseBoolean(std::string_view text) {
    if (equalsIgnoringAsciiCase(text, "True")) return true;
    if (equalsIgnoringAsciiCase(text, "False")) return false;
    return std::nullopt;
}

std::string_view trimControls(std::string_view text) {
    auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
    while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
    return text;
}

std::string quoteWrapped(std::string_view value) {
    bool quoted = !value.empty() && (value.front() == '"' || value.front() == '\'') &&
                  value.back() == value.front();
    if (!quoted) return std::string(value);
    return '"' + std::string(value) + '"';
}

std::string screenSizeSuffix(std::int32_t width, std::int32_t height) {
    return '(' + formatInteger(width) + 'x' + formatInteger(height) + ')';
}

std::string settingsFileName(std::string_view programPath) {
    std::string_view name = programPath.substr(programPath.rfind('/') + 1);
    std::size_t dot = name.rfind('.');
    return std::string(name.substr(0, dot)) + ".INI";
}

std::optional<std::string> settingsFolder(const char* xdgConfigHome, const char* home) {
    auto absolute = [](const char* path) { return path != nullptr && path[0] == '/'; };
    if (absolute(xdgConfigHome)) return std::string(xdgConfigHome);
    if (absolute(home))
        return std::string(home) + (std::string_view(home).ends_with('/') ? "" : "/") + ".config";
    return std::nullopt;
}

std::optional<std::string> settingsFolderFromEnvironment() {
    return settingsFolder(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

ShowState showStateOf(std::int32_t showCmd) {
    switch (showCmd) {
        case 2:
        case 6:
        case 7:
            return ShowState::Minimized;
        case 3:
            return ShowState::Maximized;
        default:
            return ShowState::Normal;
    }
}

}  // namespace grittydecal
