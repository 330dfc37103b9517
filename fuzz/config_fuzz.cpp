// Fuzz target of the settings file's text, read and merged on save: LoadConfig against strtok and
// strtoll; SaveConfig keeping every other line and key, reloaded as saved.
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

// The text's lines, each without its CRs, with the section and key names it shows as the file's
// reader finds them: blanks trimmed, a section's name up to its last ']', a key's up to its '='.
struct Line {
    std::string text, section, key;
};
std::vector<Line> Lines(std::string_view text) {
    constexpr char BLANKS[] = " \t\r\n\v\f\x1a";
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<Line> lines;
    std::string section;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string line(text.substr(at, end - at));
        at = end + 1;
        const std::size_t first = line.find_first_not_of(BLANKS);
        const std::string name = first == std::string::npos ? "" : line.substr(first);
        while (!line.empty() && line.back() == '\r') line.pop_back();  // a last line gains CR LF
        if (name[0] == '[' && name.find(']') != std::string::npos) {
            section = name.substr(1, name.rfind(']') - 1);
            lines.push_back({line, section, ""});
        } else {
            lines.push_back(
                {line, section, name.substr(0, name.find_first_of(std::string("=") + BLANKS))});
        }
    }
    return lines;
}

// A key that saving sets, as the reader compares names: C strings, in any case.
bool Saved(const Line& line) {
    return strcasecmp(line.section.c_str(), "Main") == 0 &&
           (strcasecmp(line.key.c_str(), "Point") == 0 ||
            strcasecmp(line.key.c_str(), "Hide") == 0 ||
            strcasecmp(line.key.c_str(), "StopOnMove") == 0);
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
    // Every other line stays, in its order, and every other key reads as before.
    const std::vector<Line> after = Lines(store.text);
    auto next = after.begin();
    for (const Line& line : Lines(before.text)) {
        if (Saved(line)) continue;
        next = std::find_if(next, after.end(), [&](const Line& l) { return l.text == line.text; });
        Check(next != after.end(), "every other line kept in its place");
        ++next;
        Check(store.Read(line.section, line.key) == before.Read(line.section, line.key),
              "other keys read as before");
    }
    return 0;
}
