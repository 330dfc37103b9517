// Fuzz target: ApplyAction on any entry text and every choice, against the action-suffix rule.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "path/point_entry.h"

namespace {

using varrel::ActionChoice;

constexpr ActionChoice CHOICES[] = {ActionChoice::NoChoice,    ActionChoice::Down,
                                    ActionChoice::Up,          ActionChoice::Click,
                                    ActionChoice::DoubleClick, ActionChoice::None};

char LetterOf(ActionChoice choice) {
    switch (choice) {
        case ActionChoice::Down:
            return 'D';
        case ActionChoice::Up:
            return 'U';
        case ActionChoice::Click:
            return 'C';
        case ActionChoice::DoubleClick:
            return 'B';
        default:
            return 0;
    }
}

// A comma and one letter (isalpha in the "C" locale) at the end.
bool HasSuffix(const std::string& s) {
    const std::size_t n = s.size();
    return n >= 2 && s[n - 2] == ',' && std::isalpha(static_cast<unsigned char>(s[n - 1]));
}

std::string WithoutSuffix(const std::string& s) {
    return HasSuffix(s) ? s.substr(0, s.size() - 2) : s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string entry(reinterpret_cast<const char*>(data), size);
    const std::string bare = WithoutSuffix(entry);

    for (ActionChoice choice : CHOICES) {
        const std::string result = varrel::ApplyAction(entry, choice);
        if (choice == ActionChoice::NoChoice) {
            FUZZ_CHECK(result == entry);
        } else if (choice == ActionChoice::None) {
            FUZZ_CHECK(result == bare);
        } else {
            FUZZ_CHECK(result == bare + ',' + LetterOf(choice));
            // Choosing the same letter again changes nothing; choosing none takes it off.
            FUZZ_CHECK(varrel::ApplyAction(result, choice) == result);
            FUZZ_CHECK(varrel::ApplyAction(result, ActionChoice::None) == bare);
        }
    }
    return 0;
}
