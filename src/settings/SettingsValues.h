#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace grittydecal {

// How the settings store turns values into text and back.

// Decimal, after optional blanks and a sign; or hexadecimal after "$", "x" or
// "0x" (either letter case), up to eight digits taken as the 32-bit pattern, so
// "$FFFFFFFF" is -1. Anything else, trailing blanks included, is not a number.
std::optional<std::int32_t> parseInteger(std::string_view text);
std::string formatInteger(std::int32_t value);

// Four integers, "1,2,3,4".
std::string formatPosition(const std::array<std::int32_t, 4>& values);
// Words 1 to 4 of the text cut at commas and blanks; a run of them is one cut.
// A word that is missing or not a number is left empty.
std::array<std::optional<std::int32_t>, 4> parsePosition(std::string_view text);

std::string_view formatBoolean(bool value);
// "True" or "False" in any letter case; anything else is no boolean.
std::optional<bool> parseBoolean(std::string_view text);

// Drops characters 0 to 32 at either end.
std::string_view trimControls(std::string_view text);

// A value that begins and ends with the same quote mark gets one more pair of
// double quotes, as reading drops one pair.
std::string quoteWrapped(std::string_view value);

// "(1280x1024)": what the placement keys carry for one screen size.
std::string screenSizeSuffix(std::int32_t width, std::int32_t height);

// The program file's name without its folder, its extension replaced by
// ".INI" or ".INI" appended: "/usr/bin/grittydecal" gives "grittydecal.INI".
std::string settingsFileName(std::string_view programPath);

// $XDG_CONFIG_HOME, else $HOME/.config. Empty or relative values count as
// unset; nothing when neither gives a folder.
std::optional<std::string> settingsFolder(const char* xdgConfigHome, const char* home);
std::optional<std::string> settingsFolderFromEnvironment();

enum class ShowState { Normal, Minimized, Maximized };

// A stored show command as a window state: 2, 6 and 7 minimized, 3
// maximized, anything else normal.
ShowState showStateOf(std::int32_t showCmd);

}  // namespace grittydecal
