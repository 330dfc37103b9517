// The naive baseline's window as the benchmark drives it: its buttons and its run-state captions.
#pragma once

namespace varrel::bench {

constexpr int BASELINE_START_ID = 1;
constexpr int BASELINE_STOP_ID = 2;
// Starts the click walk instead: a click at each of two points 4 pixels apart, walked between.
constexpr int BASELINE_CLICKS_ID = 3;
// The window's caption says whether a walk runs; it is back to the first once the walk has ended.
constexpr char BASELINE_IDLE_CAPTION[] = "Baseline";
constexpr char BASELINE_RUNNING_CAPTION[] = "Baseline running";

}  // namespace varrel::bench
