#pragma once

#include <string_view>

namespace grittydecal {

// Letter case is folded for ASCII letters only; other bytes compare as they are.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace grittydecal
