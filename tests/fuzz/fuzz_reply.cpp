// Any bytes, cut into reads of any sizes, through frame reassembly and reply
// decoding: every log entry is whole and every array keeps its size.
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "network/SiteState.h"
#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

namespace {

void Check(const std::string& frame, bool stopped) {
    const devlink::Reply r = devlink::DecodeReply(frame, stopped);
    FUZZ_CHECK(r.logEntry.rfind("[Response] ", 0) == 0, "prefix");
    FUZZ_CHECK(r.logEntry.size() >= 13 && r.logEntry.compare(r.logEntry.size() - 2, 2, "\r\n") == 0, "CR LF");
    FUZZ_CHECK(r.logEntry.find('\0') == std::string::npos, "no zero byte in the log entry");
    FUZZ_CHECK(r.logEntry.size() <= 11 + 255 * 5 + 2, "entry length %zu", r.logEntry.size());
    if (r.tagIndex == 2 || r.tagIndex == 3) FUZZ_CHECK(r.values.size() == 4, "R2/R9 size");
    if (r.tagIndex == 5) FUZZ_CHECK(r.values.size() == 9, "N9 size");
    if (network::ShowReplyCase(r) == 1) FUZZ_CHECK(r.netKeys.size() == 21, "GM shown with 21");
    FUZZ_CHECK(r.g2Id.size() <= 6 && r.g2Frequency.size() <= 10, "G2 fields");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool stopped = data[0] & 1;
    const std::size_t cut = 1 + data[1] % 64;  // the size of each read
    devlink::FrameAssembler assembler;
    std::size_t delivered = 0;
    const std::string bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    for (std::size_t at = 0; at < bytes.size(); at += cut) {
        for (const std::string& frame : assembler.Feed(std::string_view(bytes).substr(at, cut))) {
            Check(frame, stopped);
            delivered += frame.size();
        }
    }
    if (assembler.HasPending()) Check(assembler.Flush(), stopped);
    FUZZ_CHECK(!assembler.HasPending(), "flushed");
    (void)delivered;
    return 0;
}
