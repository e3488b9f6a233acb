#include "support/CaseName.h"

#include <cctype>

namespace grittydecal::testing {

std::string CaseName(std::string_view description) {
    std::string name(description);
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

}  // namespace grittydecal::testing
