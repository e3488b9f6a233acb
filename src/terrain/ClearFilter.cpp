#include "terrain/ClearFilter.h"

namespace grittydecal {

namespace {
constexpr char kLF = '\n';
constexpr char kCR = '\r';
constexpr char kEndOfText = '\x1a';

bool endsLine(char c) { return c == kLF || c == kCR || c == kEndOfText; }
}  // namespace

bool ClearFilter::feed(std::string_view bytes, std::string& out) {
    std::size_t pos = 0;
    if (lastWasCR_ && !bytes.empty()) {
        lastWasCR_ = false;
        if (bytes[0] == kLF) pos = 1;
    }
    while (pos < bytes.size()) {
        std::size_t end = pos;
        while (end < bytes.size() && !endsLine(bytes[end])) ++end;
        if (end == bytes.size()) {
            partialLine_.append(bytes.substr(pos));
            return true;
        }
        std::string_view line = bytes.substr(pos, end - pos);
        if (!partialLine_.empty()) {
            partialLine_.append(line);
            line = partialLine_;
        }
        const char breaker = bytes[end];
        if (breaker == kEndOfText) {
            // At the start of a line nothing more is read; inside one, what
            // stands before the mark is the last line.
            if (!line.empty()) takeLine(line, out);
            partialLine_.clear();
            return false;
        }
        takeLine(line, out);
        partialLine_.clear();
        pos = end + 1;
        if (breaker == kCR) {
            if (pos < bytes.size()) {
                if (bytes[pos] == kLF) ++pos;
            } else {
                lastWasCR_ = true;
            }
        }
    }
    return true;
}

void ClearFilter::finish(std::string& out) {
    if (!partialLine_.empty()) takeLine(partialLine_, out);
    partialLine_.clear();
}

void ClearFilter::takeLine(std::string_view line, std::string& out) {
    if (keepAll_ && line.find("BASE") != std::string_view::npos) keepAll_ = false;
    if (line.find("DECAL_LIB") != std::string_view::npos) return;
    if (keepAll_ || line.size() > 3) {
        out.append(line);
        out.append("\r\n");
    }
}

}  // namespace grittydecal
