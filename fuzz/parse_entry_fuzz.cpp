// Fuzz target: ParseEntry and ReadInt against strtok and strtol on any bytes.
#include "fuzz/reference.h"
#include "path/point_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varrel;
    const std::string text(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(ReadInt(text) == fuzz::SaturatedAtoi(text));

    // A record that already holds values, as the run list reuses one.
    const ScreenPoint before{-123456, 654321};
    ScreenPoint record = before;
    const std::string action = ParseEntry(text, record);

    const std::vector<std::string> tokens = fuzz::StrtokTokens(text, ",");
    FUZZ_CHECK(record.x == (tokens.size() >= 1 ? fuzz::SaturatedAtoi(tokens[0]) : before.x));
    FUZZ_CHECK(record.y == (tokens.size() >= 2 ? fuzz::SaturatedAtoi(tokens[1]) : before.y));
    FUZZ_CHECK(action == (tokens.size() >= 3 ? tokens[2] : std::string(" ")));

    // Formatting what was parsed gives text that parses back to the same position.
    ScreenPoint again{0, 0};
    FUZZ_CHECK(ParseEntry(FormatPosition(record.x, record.y), again) == " " && again == record);
    return 0;
}
