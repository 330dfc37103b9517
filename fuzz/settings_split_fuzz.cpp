// Fuzz target: the settings values loaded against strtok and strtol, saved, and loaded back.
#include "fuzz/reference.h"
#include "tests/support/memory_profile_store.h"
#include "tests/support/vector_point_list.h"

// The first byte says which keys are stored; up to the first newline is Hide, after it Point.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace varrel;
    if (size == 0) return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string hide = rest.substr(0, rest.find('\n'));
    const std::string point = hide.size() < rest.size() ? rest.substr(hide.size() + 1) : "";
    testing::MemoryProfileStore store;
    if (data[0] & 1) store.values["[Main]Point"] = point;
    if (data[0] & 2) store.values["[Main]Hide"] = hide;
    VectorPointList list;
    bool option = data[0] & 4;
    LoadConfig(store, list, option);
    FUZZ_CHECK(list.Entries() == fuzz::StrtokTokens(data[0] & 1 ? point : "", " "));
    FUZZ_CHECK(option == ((data[0] & 2) && fuzz::SaturatedAtoi(hide) != 0) && store.writes.empty());

    // Any entries (those loaded, and the two values whole) are saved joined by single spaces,
    // Point before Hide, and load back as strtok splits the joined text.
    std::vector<std::string> entries = list.Entries();
    entries.insert(entries.end(), {hide, point});
    std::string joined;
    for (std::size_t i = 0; i < entries.size(); ++i) joined += (i ? " " : "") + entries[i];
    SaveConfig(store, VectorPointList(entries), option);
    FUZZ_CHECK(store.writes ==
               "[Main]Point=" + joined + "\n[Main]Hide=" + (option ? "1\n" : "0\n"));
    VectorPointList again;
    bool loaded = !option;
    LoadConfig(store, again, loaded);
    FUZZ_CHECK(again.Entries() == fuzz::StrtokTokens(joined, " ") && loaded == option);
    return 0;
}
