// The Clear filter against a plain model of the text rules, fed in pieces of
// every size. The first byte picks the piece size, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "terrain/ClearFilter.h"

namespace {

std::string model(std::string_view text) {
    // A Ctrl-Z ends the text wherever it stands.
    text = text.substr(0, text.find('\x1a'));
    std::string out;
    bool keepAll = true;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", at);
        const std::string_view line =
            text.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (end == std::string_view::npos) {
            at = text.size();
        } else if (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
            at = end + 2;
        } else {
            at = end + 1;
        }
        if (line.find("BASE") != std::string_view::npos) keepAll = false;
        if (line.find("DECAL_LIB") != std::string_view::npos) continue;
        if (keepAll || line.size() > 3) {
            out += line;
            out += "\r\n";
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    grittydecal::ClearFilter filter;
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += piece) {
        if (!filter.feed(text.substr(at, piece), out)) break;
    }
    filter.finish(out);
    if (out != model(text)) std::abort();
    return 0;
}
