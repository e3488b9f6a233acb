#include <gtest/gtest.h>

#include <string>

#include "settings/IniText.h"
#include "support/CaseName.h"

namespace grittydecal {
namespace {

struct ReadCase {
    const char* name;
    std::string text;
    const char* key;
    std::string expected;  // "<default>" when the fallback should come back
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

class IniTextRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniTextRead, FindsTheValueAsWindowsWould) {
    const ReadCase& c = GetParam();
    EXPECT_EQ(IniText(c.text).read("TForm1", c.key, "<default>"), c.expected);
}

const std::string kLong(3000, 'a');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextRead,
    ::testing::Values(
        ReadCase{"empty text", "", "Key", "<default>"},
        ReadCase{"missing section", "[Other]\nKey=1\n", "Key", "<default>"},
        ReadCase{"missing key", "[TForm1]\nOther=1\n", "Key", "<default>"},
        ReadCase{"plain", "[TForm1]\nKey=1\n", "Key", "1"},
        ReadCase{"empty value", "[TForm1]\nKey=\n", "Key", ""},
        ReadCase{"names in any case", "[tform1]\nKEY=1\n", "key", "1"},
        ReadCase{"case only for ASCII", "[TForm1]\nK\xC9Y=1\n", "K\xE9Y", "<default>"},
        ReadCase{"blanks trimmed", "  [ TForm1 ]  \n\t Key \t=  a b  \t\n", "Key", "a b"},
        ReadCase{"double quotes dropped", "[TForm1]\nKey=\"a b\"\n", "Key", "a b"},
        ReadCase{"single quotes dropped", "[TForm1]\nKey='a b'\n", "Key", "a b"},
        ReadCase{"one pair only", "[TForm1]\nKey=\"\"a\"\"\n", "Key", "\"a\""},
        ReadCase{"quotes must match", "[TForm1]\nKey=\"a'\n", "Key", "\"a'"},
        ReadCase{"one quote alone stays", "[TForm1]\nKey=\"\n", "Key", "\""},
        ReadCase{"quotes inside stay", "[TForm1]\nKey=a \"b\" c\n", "Key", "a \"b\" c"},
        ReadCase{"cut at the first =", "[TForm1]\nKey=a=b\n", "Key", "a=b"},
        ReadCase{"first of two keys", "[TForm1]\nKey=1\nkey=2\n", "Key", "1"},
        ReadCase{"repeated section", "[TForm1]\nA=1\n[Other]\n[TForm1]\nKey=2\n", "Key", "2"},
        ReadCase{"key of the next section", "[TForm1]\nA=1\n[Other]\nKey=2\n", "Key", "<default>"},
        ReadCase{"line without =", "[TForm1]\nKey\n", "Key", "<default>"},
        ReadCase{"comment", "[TForm1]\n;Key=1\n", ";Key", "<default>"},
        ReadCase{"before any section", "Key=1\n[TForm1]\n", "Key", "<default>"},
        ReadCase{"CR LF breaks", "[TForm1]\r\nKey=1\r\nNext=2\r\n", "Key", "1"},
        ReadCase{"no final break", "[TForm1]\nKey=1", "Key", "1"},
        ReadCase{"byte order mark", "\xEF\xBB\xBF[TForm1]\nKey=1\n", "Key", "1"},
        ReadCase{"bytes kept", "[TForm1]\nKey=C:\\X-Plane \xE8\xF8\n", "Key",
                 "C:\\X-Plane \xE8\xF8"},
        ReadCase{"cut to 2047", "[TForm1]\nKey=" + kLong + "\n", "Key", kLong.substr(0, 2047)},
        ReadCase{"quotes dropped before the cut", "[TForm1]\nKey=\"" + kLong + "\"\n", "Key",
                 kLong.substr(0, 2047)}),
    grittydecal::testing::CaseName<ReadCase>);

struct WriteCase {
    const char* name;
    std::string before;
    const char* key;
    const char* value;
    std::string after;
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

class IniTextWrite : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniTextWrite, ChangesOnlyWhatItMust) {
    const WriteCase& c = GetParam();
    IniText text(c.before);
    ASSERT_TRUE(text.write("TForm1", c.key, c.value));
    EXPECT_EQ(text.text(), c.after);
    EXPECT_EQ(text.read("TForm1", c.key, "<default>"), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniTextWrite,
    ::testing::Values(
        WriteCase{"new text", "", "Key", "1", "[TForm1]\nKey=1\n"},
        WriteCase{"new section after others", "; mine\n[Other]\nA=1\n", "Key", "1",
                  "; mine\n[Other]\nA=1\n\n[TForm1]\nKey=1\n"},
        WriteCase{"new section after a blank line", "[Other]\nA=1\n\n", "Key", "1",
                  "[Other]\nA=1\n\n[TForm1]\nKey=1\n"},
        WriteCase{"new section, no final break", "[Other]\r\nA=1", "Key", "1",
                  "[Other]\r\nA=1\r\n\r\n[TForm1]\r\nKey=1\r\n"},
        WriteCase{"replaced in place", "[TForm1]\nA=1\nKey=old\nB=2\n", "Key", "new",
                  "[TForm1]\nA=1\nKey=new\nB=2\n"},
        WriteCase{"spelling and blanks kept", "[tform1]\r\n  KEY = old  \r\n", "Key", "new",
                  "[tform1]\r\n  KEY = new  \r\n"},
        WriteCase{"empty value replaced", "[TForm1]\nKey=\nB=2\n", "Key", "x",
                  "[TForm1]\nKey=x\nB=2\n"},
        WriteCase{"replaced by empty", "[TForm1]\nKey=\"a\"\n", "Key", "", "[TForm1]\nKey=\n"},
        WriteCase{"first of two replaced", "[TForm1]\nKey=1\nKey=2\n", "Key", "3",
                  "[TForm1]\nKey=3\nKey=2\n"},
        WriteCase{"added at the end of its section", "[TForm1]\nA=1\n; note\n\n[Other]\nB=2\n",
                  "Key", "1", "[TForm1]\nA=1\n; note\nKey=1\n\n[Other]\nB=2\n"},
        WriteCase{"added to an empty section", "[TForm1]\n[Other]\n", "Key", "1",
                  "[TForm1]\nKey=1\n[Other]\n"},
        WriteCase{"added after a last line without break", "[TForm1]\r\nA=1", "Key", "1",
                  "[TForm1]\r\nA=1\r\nKey=1\r\n"},
        WriteCase{"a line without = is no key", "[TForm1]\nKey\n", "Key", "1",
                  "[TForm1]\nKey\nKey=1\n"},
        WriteCase{"replaced in a repeated section", "[TForm1]\nA=1\n[TForm1]\nKey=2\n", "Key", "3",
                  "[TForm1]\nA=1\n[TForm1]\nKey=3\n"},
        WriteCase{"added to the first of a repeated section", "[TForm1]\nA=1\n[TForm1]\nB=2\n",
                  "Key", "3", "[TForm1]\nA=1\nKey=3\n[TForm1]\nB=2\n"}),
    grittydecal::testing::CaseName<WriteCase>);

TEST(IniTextWrite, RefusesWhatCouldNotBeReadBack) {
    struct Refused {
        const char* section;
        const char* key;
        const char* value;
    };
    const Refused refused[] = {
        {"", "Key", "1"},          {"TForm1]", "Key", "1"},  {" TForm1", "Key", "1"},
        {"TForm1", "", "1"},       {"TForm1", "K=y", "1"},   {"TForm1", " Key", "1"},
        {"TForm1", "[Key", "1"},   {"TForm1", ";Key", "1"},  {"TForm1", "Key\n", "1"},
        {"TForm1", "Key", "a\nb"}, {"TForm1", "Key", "a\r"},
    };
    const std::string before = "[TForm1]\nKey=old\n";
    for (const Refused& r : refused) {
        IniText text(before);
        EXPECT_FALSE(text.write(r.section, r.key, r.value))
            << "[" << r.section << "] " << r.key << "=" << r.value;
        EXPECT_EQ(text.text(), before);
    }
}

TEST(IniTextWrite, KeepsEveryOtherByteOverManyWrites) {
    const std::string before =
        "\xEF\xBB\xBF; settings\r\n"
        "[Other]\r\n"
        "Key=other\r\n"
        "\r\n"
        "[TForm1]\r\n"
        "stray line\r\n"
        "FormVersion=0\r\n"
        "Unknown = \xE8 kept \r\n"
        "\r\n"
        "[Last]\r\n"
        "x=1";
    IniText text(before);
    ASSERT_TRUE(text.write("TForm1", "FormVersion", "7"));
    ASSERT_TRUE(text.write("TForm1", "Key", "mine"));
    ASSERT_TRUE(text.write("tform1", "FORMVERSION", "0"));
    ASSERT_TRUE(text.write("Last", "y", "2"));
    EXPECT_EQ(text.text(),
              "\xEF\xBB\xBF; settings\r\n"
              "[Other]\r\n"
              "Key=other\r\n"
              "\r\n"
              "[TForm1]\r\n"
              "stray line\r\n"
              "FormVersion=0\r\n"
              "Unknown = \xE8 kept \r\n"
              "Key=mine\r\n"
              "\r\n"
              "[Last]\r\n"
              "x=1\r\n"
              "y=2\r\n");
    EXPECT_EQ(text.read("Other", "Key", ""), "other");
}

}  // namespace
}  // namespace grittydecal
