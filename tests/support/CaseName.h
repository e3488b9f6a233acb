#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace grittydecal::testing {

// A case's description as a test name: every character that is not a letter
// or digit becomes "_".
std::string CaseName(std::string_view description);

// For INSTANTIATE_TEST_SUITE_P, with cases that carry a `name`.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    return CaseName(std::string_view(info.param.name));
}

}  // namespace grittydecal::testing
