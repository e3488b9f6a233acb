#include <gtest/gtest.h>

#include "terrain/ClearFilter.h"

namespace grittydecal {
namespace {

struct Case {
    const char* what;
    std::string text;
    std::string kept;
};

std::string clear(const std::string& text, std::size_t pieceSize) {
    ClearFilter filter;
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += pieceSize) {
        if (!filter.feed(std::string_view(text).substr(at, pieceSize), out)) break;
    }
    filter.finish(out);
    return out;
}

const std::string kLongLine(700, 'x');

const Case kCases[] = {
    {"short lines stay in the head and go after the first BASE line",
     "A\r\n800\r\nTERRAIN\r\n\r\nab\r\nBASE_TEX x.dds\r\n\r\nab\r\nabcd\r\n",
     "A\r\n800\r\nTERRAIN\r\n\r\nab\r\nBASE_TEX x.dds\r\nabcd\r\n"},
    {"decal lines go everywhere, a lower-case one stays",
     "DECAL_LIB a\r\nhead\r\nBASE\r\n# was DECAL_LIB b\r\ndecal_lib c\r\n",
     "head\r\nBASE\r\ndecal_lib c\r\n"},
    {"a decal line with BASE in it still ends the head", "DECAL_LIB BASE\r\n\r\nabc\r\nabcd\r\n",
     "abcd\r\n"},
    {"only capital BASE ends the head, also inside a word", "Base\r\nbase\r\n\r\nxBASEy\r\n\r\n",
     "Base\r\nbase\r\n\r\nxBASEy\r\n"},
    {"three bytes are short, four are not, spaces count", "BASE\r\nabc\r\nabcd\r\n   \r\n    \r\n",
     "BASE\r\nabcd\r\n    \r\n"},
    {"without BASE only decal lines go", "a\r\n\r\nDECAL_LIB x\r\n\r\n", "a\r\n\r\n\r\n"},
    {"LF breaks become CR LF and the last line gets one", "a\nb\n\nc", "a\r\nb\r\n\r\nc\r\n"},
    {"a lone CR breaks a line", "a\rb\rDECAL_LIB x\rc", "a\r\nb\r\nc\r\n"},
    {"CR CR LF is two breaks", "ab\r\r\ncd\r\n", "ab\r\n\r\ncd\r\n"},
    {"Ctrl-Z at the start of a line ends the text",
     "a\r\n\x1a"
     "b\r\n",
     "a\r\n"},
    {"Ctrl-Z inside a line cuts it there",
     "abcd\x1a"
     "efg\r\nmore\r\n",
     "abcd\r\n"},
    {"NUL bytes pass", std::string("a\0b\r\n", 5), std::string("a\0b\r\n", 5)},
    {"an empty text stays empty", "", ""},
    {"a text that begins with Ctrl-Z is empty",
     "\x1a"
     "abc\r\n",
     ""},
    {"a long line comes back whole", "BASE\n" + kLongLine + "\n", "BASE\r\n" + kLongLine + "\r\n"},
};

TEST(ClearFilter, KeepsWhatTheRulesKeepWhateverThePieces) {
    for (const auto& c : kCases) {
        for (const std::size_t pieceSize :
             {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7}, c.text.size() + 1}) {
            EXPECT_EQ(clear(c.text, pieceSize), c.kept) << c.what << ", pieces of " << pieceSize;
        }
    }
}

}  // namespace
}  // namespace grittydecal
