// How a run tells its caller how far it has come, and how the caller stops
// it: once per block, a method reports the input bytes taken so far out of
// how many; a false answer stops the run at that block's end, leaving its
// output incomplete (the caller, which asked, removes it).
#pragma once

#include <cstdint>
#include <functional>

namespace qor {

// Optional everywhere; never affects the output of a run that goes on.
using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

// Reports to `progress`, if there is one; false when the run is to stop.
inline bool GoOn(const Progress& progress, std::int64_t done, std::int64_t total) {
  return !progress || progress(done, total);
}

}  // namespace qor
