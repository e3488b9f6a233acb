#pragma once

#include <string>
#include <string_view>

namespace grittydecal {

// The text of a terrain file as Clear writes it back, fed in pieces of any
// size. Lines end at LF, CR LF or a lone CR; a Ctrl-Z ends the text. Every
// line containing "DECAL_LIB" is dropped, and so is every line of at most
// three bytes after the first line containing "BASE". What is kept is written
// byte for byte, each line ending in CR LF.
class ClearFilter {
public:
    // Appends what is to be kept of the bytes to out. False once the text has
    // ended at a Ctrl-Z: nothing after it counts.
    bool feed(std::string_view bytes, std::string& out);
    // Takes the last line if the text did not end with a line break.
    void finish(std::string& out);

private:
    void takeLine(std::string_view line, std::string& out);

    std::string partialLine_;
    bool keepAll_ = true;
    bool lastWasCR_ = false;
};

}  // namespace grittydecal
