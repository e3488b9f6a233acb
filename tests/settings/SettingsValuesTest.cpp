#include <gtest/gtest.h>

#include "settings/SettingsValues.h"

namespace grittydecal {
namespace {

TEST(SettingsValuesTest, ParsesIntegersInEveryAcceptedForm) {
    struct Case {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"42", 42},
        {"-1", -1},
        {"+7", 7},
        {"  \t12", 12},
        {"007", 7},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"$1F", 31},
        {"x1f", 31},
        {"X1F", 31},
        {"0x10", 16},
        {"0X10", 16},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$80000000", -2147483647 - 1},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"abc", std::nullopt},
        {"12 ", std::nullopt},
        {"1,2", std::nullopt},
        {"- 1", std::nullopt},
        {"1e3", std::nullopt},
        {"$G", std::nullopt},
        {"0x0x1", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$100000000", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(parseInteger(c.text), c.expected) << '"' << c.text << '"';
}

TEST(SettingsValuesTest, FormatsIntegersAndPositionsInDecimal) {
    EXPECT_EQ(formatInteger(-2147483647 - 1), "-2147483648");
    EXPECT_EQ(formatPosition({-4, 0, 1280, 1024}), "-4,0,1280,1024");
}

TEST(SettingsValuesTest, CutsPositionTextsIntoWords) {
    using Words = std::array<std::optional<std::int32_t>, 4>;
    struct Case {
        const char* text;
        Words expected;
    };
    const Case cases[] = {
        {"1,2,3,4", {1, 2, 3, 4}},
        {"100 200 900 500", {100, 200, 900, 500}},
        {" ,1,, 2 ,\t3,4, ", {1, 2, 3, 4}},
        {"1,2,3,4,5", {1, 2, 3, 4}},
        {"1,2", {1, 2, std::nullopt, std::nullopt}},
        {"1,a,$10,-4", {1, std::nullopt, 16, -4}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsePosition(c.text), c.expected) << '"' << c.text << '"';
}

TEST(SettingsValuesTest, BooleansAreWrittenInOneCaseAndReadInAny) {
    EXPECT_EQ(formatBoolean(true), "True");
    EXPECT_EQ(formatBoolean(false), "False");
    EXPECT_EQ(parseBoolean("true"), true);
    EXPECT_EQ(parseBoolean("FALSE"), false);
    EXPECT_EQ(parseBoolean("1"), std::nullopt);
    EXPECT_EQ(parseBoolean(" True"), std::nullopt);
}

TEST(SettingsValuesTest, TrimsControlCharactersAndBlanksOnly) {
    EXPECT_EQ(trimControls(std::string_view("\0\t a b \x1F\x20", 8)), "a b");
    EXPECT_EQ(trimControls("\x7F"
                           "a\xA0"),
              "\x7F"
              "a\xA0");
    EXPECT_EQ(trimControls(" \n "), "");
}

TEST(SettingsValuesTest, WrapsValuesThatBeginAndEndWithOneQuoteMark) {
    struct Case {
        const char* value;
        const char* written;
    };
    const Case cases[] = {
        {"plain", "plain"}, {"\"a\"", "\"\"a\"\""}, {"'a'", "\"'a'\""}, {"\"a'", "\"a'"},
        {"a\"", "a\""},     {"\"", "\"\"\""},       {"", ""},           {"\"a b\" c", "\"a b\" c"},
    };
    for (const Case& c : cases) EXPECT_EQ(quoteWrapped(c.value), c.written) << c.value;
}

TEST(SettingsValuesTest, NamesTheSettingsFileAfterTheProgram) {
    struct Case {
        const char* program;
        const char* name;
    };
    const Case cases[] = {
        {"/usr/bin/grittydecal", "grittydecal.INI"},
        {"grittydecal", "grittydecal.INI"},
        {"./tool.exe", "tool.INI"},
        {"/opt/a.b/tool", "tool.INI"},
        {"/opt/tool.x.y", "tool.x.INI"},
        {"/opt/tool.", "tool.INI"},
    };
    for (const Case& c : cases) EXPECT_EQ(settingsFileName(c.program), c.name) << c.program;
    EXPECT_EQ(screenSizeSuffix(1280, 1024), "(1280x1024)");
}

TEST(SettingsValuesTest, FindsTheSettingsFolder) {
    EXPECT_EQ(settingsFolder("/xdg", "/home/me"), "/xdg");
    EXPECT_EQ(settingsFolder(nullptr, "/home/me"), "/home/me/.config");
    EXPECT_EQ(settingsFolder("", "/home/me/"), "/home/me/.config");
    EXPECT_EQ(settingsFolder("relative", "/"), "/.config");
    EXPECT_EQ(settingsFolder(nullptr, nullptr), std::nullopt);
    EXPECT_EQ(settingsFolder("", "relative"), std::nullopt);
}

TEST(SettingsValuesTest, MapsShowCommandsToWindowStates) {
    const std::pair<std::int32_t, ShowState> cases[] = {
        {1, ShowState::Normal},    {5, ShowState::Normal},    {9, ShowState::Normal},
        {0, ShowState::Normal},    {4, ShowState::Normal},    {-1, ShowState::Normal},
        {2, ShowState::Minimized}, {6, ShowState::Minimized}, {7, ShowState::Minimized},
        {3, ShowState::Maximized},
    };
    for (auto [showCmd, state] : cases) EXPECT_EQ(showStateOf(showCmd), state) << showCmd;
}

}  // namespace
}  // namespace grittydecal
