#include "app/DecalCompletion.h"

#include <algorithm>

namespace grittydecal {
namespace {

char16_t FoldAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c; }

bool BeginsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char16_t a, char16_t b) { return FoldAscii(a) == FoldAscii(b); });
}

}  // namespace

std::optional<DecalCompletion> CompleteDecal(const DecalFieldState& field,
                                             std::u16string_view typed,
                                             std::span<const std::u16string_view> entries) {
    std::u16string candidate =
        field.selectionLength == 0
            ? field.text
            : field.text.substr(0, std::min(field.selectionStart, field.text.size()));
    candidate += typed;

    for (std::size_t index = 0; index < entries.size(); ++index) {
        const std::u16string_view entry = entries[index];
        if (!BeginsWithIgnoringCase(entry, candidate)) continue;
        DecalCompletion completion;
        completion.field.selectionStart = candidate.size();
        completion.field.selectionLength = entry.size() - candidate.size();
        completion.field.text = std::move(candidate);
        completion.field.text += entry.substr(completion.field.selectionStart);
        completion.entry = static_cast<int>(index);
        return completion;
    }
    return std::nullopt;
}

}  // namespace grittydecal
