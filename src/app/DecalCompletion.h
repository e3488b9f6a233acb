#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace grittydecal {

// What the decal field holds around one typed character. Positions count
// UTF-16 units, as the line edit does.
struct DecalFieldState {
    std::u16string text;
    std::size_t selectionStart = 0;
    std::size_t selectionLength = 0;
};

struct DecalCompletion {
    DecalFieldState field;
    int entry = -1;
};

// The automatic completion of the decal field. The candidate is the text
// before the selection (the whole text when nothing is selected) followed by
// the typed character; the first entry that begins with it, ASCII letter case
// ignored, completes it, and the completed rest is selected so that the next
// character replaces it. Nothing when no entry fits: the character is then
// typed as in any field.
std::optional<DecalCompletion> CompleteDecal(const DecalFieldState& field,
                                             std::u16string_view typed,
                                             std::span<const std::u16string_view> entries);

}  // namespace grittydecal
