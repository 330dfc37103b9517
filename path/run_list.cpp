// Building and releasing the run snapshot.
#include "path/run_list.h"

#include <algorithm>

namespace varrel {

namespace {
constexpr int RESERVE_LIMIT = 1 << 20;
}

void RunList::Release() {
    std::vector<ScreenPoint>().swap(points);
    std::vector<char>().swap(actions);
    count = 0;
}

int BuildRunList(const PointList& list, RunList& run, const BuildCancelled& cancelled, int chunk) {
    const std::optional<int> total = list.Count();
    if (!total) return -1;
    const int n = *total < 0 ? 0 : *total;

    run.Release();
    // A list that claims a huge count still grows only with the entries it really gives.
    const std::size_t expected = static_cast<std::size_t>(n < RESERVE_LIMIT ? n : RESERVE_LIMIT);
    run.points.reserve(expected);
    run.actions.reserve(expected);

    // One record for the whole build: an entry missing x or y keeps the previous entry's value.
    ScreenPoint record;
    if (chunk < 1) chunk = 1;
    for (int first = 0; first < n; first += chunk) {
        if (cancelled && cancelled()) break;
        const int want = std::min(chunk, n - first);
        const std::vector<std::optional<std::string>> texts = list.TextsAt(first, want);
        // A read that was not served at all (the list's owner could not answer) is no snapshot.
        if (texts.size() != static_cast<std::size_t>(want)) {
            run.Release();
            return -1;
        }
        for (const std::optional<std::string>& text : texts) {
            const std::string action = ParseEntry(text ? *text : std::string(), record);
            run.points.push_back(record);
            run.actions.push_back(ActionCode(action));
        }
        run.count = static_cast<int32_t>(run.points.size());
    }
    return 0;
}

}  // namespace varrel
