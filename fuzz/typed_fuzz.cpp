// Fuzz target of text typed in the Position field: what Add makes of it (CompactEntry, TypedEntry)
// and what a run then reads from the entry added, against what it reads from the text as typed.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "path/point_entry.h"
#include "path/run_list.h"
#include "tests/support/vector_point_list.h"

namespace {

using varrel::fuzz::Check;

constexpr char WHITE_SPACE[] = " \t\n\v\f\r";

// The point and action code of the last entry a run reads, white space as the no-action space.
std::string LastRead(const varrel::VectorPointList& list) {
    varrel::RunList run;
    Check(varrel::BuildRunList(list, run) == 0 && run.count > 0, "the run list is built");
    const char code = run.actions.back();
    return varrel::FormatPosition(run.points.back().x, run.points.back().y) + " " +
           (std::string(WHITE_SPACE).find(code) == std::string::npos ? code : ' ');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    // What the field shows: a C string.
    const std::string shown = typed.substr(0, typed.find('\0'));
    const bool blank = shown.find_first_not_of(WHITE_SPACE) == std::string::npos;
    const std::string compact = varrel::CompactEntry(typed);
    Check(compact.empty() == blank, "nothing typed, and only that, gives no entry");
    Check(compact.find_first_of(WHITE_SPACE) == std::string::npos, "no white space is left");
    Check(varrel::CompactEntry(compact) == compact, "an entry is its own compact form");
    if (shown.find_first_of(WHITE_SPACE) == std::string::npos)
        Check(compact == shown, "text without white space is kept as typed");
    const std::optional<std::string> entry = varrel::TypedEntry(typed);
    Check(entry ? *entry == compact && entry->size() <= varrel::MAX_ENTRY_CHARS
                : compact.size() > varrel::MAX_ENTRY_CHARS,
          "Add takes the whole entry when it fits, else nothing");
    if (blank) return 0;
    // After an entry that leaves its point in the run's record, for fields the typed text lacks.
    Check(LastRead(varrel::VectorPointList({"-5,6,C", compact})) ==
              LastRead(varrel::VectorPointList({"-5,6,C", typed})),
          "the entry added reads as the text typed");
    return 0;
}
