// Test assertions that compare long texts and lists of texts without printing them whole.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>

namespace varrel::testing {

template <class T>
::testing::AssertionResult SameText(const T& a, const T& b) {
    if (a == b) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "sizes " << a.size() << " and " << b.size() << ", first difference at "
           << std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin();
}
inline constexpr auto& SameTexts = SameText<std::vector<std::string>>;

}  // namespace varrel::testing
