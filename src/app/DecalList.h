#pragma once

#include <array>
#include <string_view>

namespace grittydecal {

// The entries of the decal field, in the order the list shows them. The two
// empty entries at the end let a user pick an empty decal name.
extern const std::array<std::u16string_view, 37> kDecalList;

}  // namespace grittydecal
