// Fuzz target: loading and saving the settings values, against strtok and strtol, and round trips.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/reference.h"
#include "settings/config_file.h"
#include "tests/support/memory_profile_store.h"
#include "tests/support/vector_point_list.h"

namespace {

using varrel::VectorPointList;
using varrel::testing::MemoryProfileStore;
using varrel::testing::ProfileWrite;
using Texts = std::vector<std::string>;

std::string Joined(const Texts& texts) {
    std::string joined;
    for (std::size_t i = 0; i < texts.size(); ++i) joined += (i ? " " : "") + texts[i];
    return joined;
}

// Saves list and option into a fresh store, checks what was written, loads it back and returns
// the entries loaded.
Texts CheckSaveAndLoad(const Texts& entries, bool hide) {
    MemoryProfileStore store;
    varrel::SaveConfig(store, VectorPointList(entries), hide);
    const std::string joined = Joined(entries);
    FUZZ_CHECK((store.Writes() == std::vector<ProfileWrite>{{"Main", "Point", joined},
                                                            {"Main", "Hide", hide ? "1" : "0"}}));

    VectorPointList loaded;
    bool loadedHide = !hide;
    varrel::LoadConfig(store, loaded, loadedHide);
    FUZZ_CHECK(loaded.Entries() == varrel::fuzz::StrtokTokens(joined, " "));
    FUZZ_CHECK(loadedHide == hide);
    return loaded.Entries();
}

}  // namespace

// The first byte chooses what is present; up to the first newline is the "Hide" value, the rest
// the "Point" value (or, in the second form, the list's entries one per line).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t newline = rest.find('\n');
    const std::string hideText = rest.substr(0, newline);
    const std::string pointText = newline == std::string::npos ? "" : rest.substr(newline + 1);

    if (flags & 8) {
        Texts entries;
        std::size_t start = 0;
        while (start <= pointText.size() && !pointText.empty()) {
            const std::size_t end = pointText.find('\n', start);
            entries.push_back(pointText.substr(start, end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        CheckSaveAndLoad(entries, flags & 4);
        return 0;
    }

    MemoryProfileStore store;
    if (flags & 1) store.Set("Main", "Point", pointText);
    if (flags & 2) store.Set("Main", "Hide", hideText);
    const Texts before = {"0,0"};
    VectorPointList list(before);
    bool hide = flags & 4;
    varrel::LoadConfig(store, list, hide);

    Texts expected = before;
    if (flags & 1) {
        for (const std::string& token : varrel::fuzz::StrtokTokens(pointText, " ")) {
            expected.push_back(token);
        }
    }
    FUZZ_CHECK(list.Entries() == expected);
    FUZZ_CHECK(hide == ((flags & 2) && varrel::fuzz::SaturatedAtoi(hideText) != 0));
    FUZZ_CHECK(store.Writes().empty());

    // What was loaded is saved as single-spaced entries and loads again unchanged.
    const Texts loaded(list.Entries().begin() + 1, list.Entries().end());
    FUZZ_CHECK(CheckSaveAndLoad(loaded, hide) == loaded);
    return 0;
}
