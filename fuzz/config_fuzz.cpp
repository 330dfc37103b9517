// Fuzz target of the settings file's read and its merge on save: LoadConfig against strtok and
// strtoll, SaveConfig into the file's text keeping every other section and key, reloaded as saved.
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "fuzz/fuzz_check.h"
#include "settings/config_file.h"
#include "settings/profile_text.h"
#include "tests/support/vector_point_list.h"

namespace {

using varrel::fuzz::Check;

// The settings file's text in memory, read and edited as the file is.
struct TextStore : varrel::ProfileStore {
    std::optional<std::string> Read(const std::string& s, const std::string& k) const override {
        return varrel::ProfileValue(text, s, k);
    }
    bool Write(const std::string& s, const varrel::ProfileValues& values) override {
        for (const auto& [k, v] : values) text = varrel::WithProfileValue(text, s, k, v);
        return true;
    }
    std::string text;
};

// Sections and keys the lines show, found loosely: each is only asked for, before and after.
std::vector<std::pair<std::string, std::string>> LineNames(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> names;
    std::istringstream lines(text);
    std::string line, section;
    while (std::getline(lines, line) && names.size() < 64) {
        line.erase(0, line.find_first_not_of(" \t\r"));
        if (!line.empty() && line[0] == '[') section = line.substr(1, line.find(']') - 1);
        names.emplace_back(section, line.substr(0, line.find_first_of("= \t")));
    }
    return names;
}

std::vector<std::string> Tokens(std::string value) {
    std::vector<std::string> tokens;
    for (char* t = std::strtok(value.data(), " "); t; t = std::strtok(nullptr, " "))
        tokens.emplace_back(t);
    return tokens;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto onChanged = in.PickValueInArray(
        {varrel::ChangedList::Ask, varrel::ChangedList::Replace, varrel::ChangedList::Keep});
    const varrel::ConfigOptions options{in.ConsumeBool(), in.ConsumeBool()};
    const bool otherKnown = in.ConsumeBool();
    const std::string added = in.ConsumeRandomLengthString(20),
                      other = in.ConsumeRandomLengthString(20);
    TextStore store;
    store.text = in.ConsumeRemainingBytesAsString();
    const TextStore before = store;

    varrel::VectorPointList list;
    varrel::ConfigOptions read{!options.hideAfterStart, !options.stopOnMove};
    std::optional<std::string> known = varrel::LoadConfig(store, list, read);
    const std::vector<std::string> loaded = list.entries;
    Check(loaded == Tokens(store.Read("Main", "Point").value_or("")), "entries as strtok");
    const auto number = [&](const char* key, const char* missing) {
        return std::strtoll(store.Read("Main", key).value_or(missing).c_str(), nullptr, 10) != 0;
    };
    Check(read.hideAfterStart == number("Hide", "0"), "Hide as strtoll reads it");
    Check(read.stopOnMove == number("StopOnMove", "1"), "StopOnMove as strtoll reads it");
    Check(varrel::SplitPointValue(*varrel::JoinPointList(list)) == loaded, "joined, split");

    // This copy's list, changed or not, and what it knows of the file (another copy saved since?).
    for (const std::string& entry : Tokens(added.substr(0, added.find('\n')))) list.Append(entry);
    if (otherKnown) known = other;
    const varrel::SaveResult result = varrel::SaveConfig(store, list, options, known, onChanged);
    if (result == varrel::SaveResult::ListChanged) {
        Check(store.text == before.text, "a save that asks first writes nothing");
        return 0;
    }
    Check(result == varrel::SaveResult::Saved, "the save is written");
    varrel::VectorPointList reloaded;
    varrel::ConfigOptions reread{!options.hideAfterStart, !options.stopOnMove};
    varrel::LoadConfig(store, reloaded, reread);
    Check(reread.hideAfterStart == options.hideAfterStart, "Hide reloads as saved");
    Check(reread.stopOnMove == options.stopOnMove, "StopOnMove reloads as saved");
    Check(reloaded.entries == list.entries || reloaded.entries == loaded,
          "the list reloads as saved, or as the file had it");
    for (const auto& [section, key] : LineNames(before.text)) {
        // The keys saved, as the file's reader compares names: C strings, in any case.
        const bool saved =
            strcasecmp(section.c_str(), "Main") == 0 &&
            (strcasecmp(key.c_str(), "Point") == 0 || strcasecmp(key.c_str(), "Hide") == 0 ||
             strcasecmp(key.c_str(), "StopOnMove") == 0);
        Check(saved || store.Read(section, key) == before.Read(section, key),
              "other keys read as before");
    }
    return 0;
}
