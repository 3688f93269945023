#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace network {

// Milliseconds since the epoch: what values, lost links and log lines are
// stamped with. One seam for the whole window, so a test can fix the time.
using Clock = std::function<std::int64_t()>;

inline std::int64_t SystemNow() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace network
