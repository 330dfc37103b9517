// Test assertions that compare long texts and lists of texts without printing them whole.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

namespace varrel::testing {

inline ::testing::AssertionResult SameText(const std::string& actual, const std::string& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    std::size_t i = 0;
    while (i < actual.size() && i < expected.size() && actual[i] == expected[i]) ++i;
    return ::testing::AssertionFailure() << "length " << actual.size() << ", expected "
                                         << expected.size() << ", first difference at " << i;
}

inline ::testing::AssertionResult SameTexts(const std::vector<std::string>& actual,
                                            const std::vector<std::string>& expected) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << actual.size() << " entries, expected " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        const ::testing::AssertionResult same = SameText(actual[i], expected[i]);
        if (!same) return ::testing::AssertionFailure() << "entry " << i << ": " << same.message();
    }
    return ::testing::AssertionSuccess();
}

}  // namespace varrel::testing
