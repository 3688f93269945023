#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace devlink {

// Cuts the bytes of successive reads into reply frames. A read that holds
// several frames gives each of them in order; a frame whose length byte
// announces more bytes than have arrived waits for the next reads, and is
// given up as it is by Flush() (missing bytes then read as zero). A read with
// nothing waiting before it that is exactly one frame, a short message or
// anything the length byte cannot describe comes out unchanged.
class FrameAssembler {
public:
    // The frames complete after this read, in order.
    std::vector<std::string> Feed(std::string_view bytes);
    // The bytes still waiting, handed out as one frame; empty when none wait.
    std::string Flush();
    bool HasPending() const { return !m_pending.empty(); }

private:
    std::string m_pending;
};

}  // namespace devlink
