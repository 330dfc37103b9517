// RunList: the snapshot of the point list that one run works from.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "path/point_entry.h"
#include "path/point_list.h"

namespace varrel {

struct RunList {
    std::vector<ScreenPoint> points;  // position of each entry, in list order
    std::vector<char> actions;        // action code of each entry; ' ' when it has none
    int32_t count = 0;                // number of entries taken

    // Frees both arrays and leaves the list empty; an empty list stays as it is.
    void Release();
};

// Entries read from the list at once while a run list is built: few requests for a big list, and
// a stop is seen between two of them.
constexpr int RUN_LIST_READ_CHUNK = 2048;

// Asked before each chunk of entries; true ends the build early, keeping the entries taken so far.
using BuildCancelled = std::function<bool()>;

// Fills run from the list's entries, read chunk entries at a time. Returns 0, or -1 when the list
// cannot tell its number of entries (run is then left as it was) or a read of entries was not
// answered at all (run is then left empty).
int BuildRunList(const PointList& list, RunList& run, const BuildCancelled& cancelled = {},
                 int chunk = RUN_LIST_READ_CHUNK);

}  // namespace varrel
