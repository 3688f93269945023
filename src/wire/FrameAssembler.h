#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace devlink {

// Cuts the bytes of successive reads into reply frames. A read that holds
// several frames gives each of them in order; a frame whose header or whose
// announced length has not wholly arrived waits for the next reads, and is
// given up as it is by Flush() (missing bytes then read as zero). A short '$'
// message, or anything the length byte cannot describe, comes out unchanged.
class FrameAssembler {
public:
    // The frames complete after this read, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // The bytes still waiting, handed out as one frame; empty when none wait.
    std::string Flush();
    bool HasPending() const { return !m_pending.empty(); }
    // True when the bytes waiting after the last Feed began a new frame there:
    // the wait for its rest counts from then, however slowly the rest trickles.
    bool PendingStartedAnew() const { return m_startedAnew; }
    // Forgets what waits (the link it came from is gone).
    void Discard() {
        m_pending.clear();
        m_startedAnew = false;
    }

private:
    std::string m_pending;
    bool m_startedAnew = false;
};

}  // namespace devlink
