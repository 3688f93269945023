#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The gateway's reply frames: a 20-byte header whose byte 12 is the frame
// length L, a two-letter tag at bytes 20-21, a module ID at 23-28 and the
// payload from byte 30. Plain functions: bytes in, values out.
namespace devlink {

inline constexpr std::size_t kReadSize = 1024;     // one read takes at most this much
inline constexpr std::size_t kFrameBuffer = 2048;  // a read sits in a zero-filled buffer this large
inline constexpr std::size_t kHeaderSize = 20;
inline constexpr std::size_t kLengthOffset = 12;

// The reply tags in the order the page knows them; display case = index + 1.
inline const std::array<std::string, 6> kReplyTags{"GM", "G2", "R2", "R9", "RM", "N9"};

// What one read decodes to.
struct Reply {
    std::string tag;           // bytes 20-21 of a read longer than the header, else empty
    std::string logEntry;      // "[Response] " + the dump + CR LF
    bool textMessage = false;  // a short read starting with '$'
    int tagIndex = -1;         // which known tag matched, -1 for none
    int displayCase = 0;       // 1-6 for the known tags in order, 0 when nothing is shown

    std::vector<std::string> netKeys;  // GM: all values
    std::string g2Id, g2Frequency;     // G2
    std::vector<std::string> values;   // R2/R9: 4 (element 0 unused), RM: every ID, N9: 9
    int extraTokens = 0;               // tokens beyond the arrays' sizes, not stored
};

// Decodes one read: bytes past the read count as zero, as in the page's
// zero-filled buffer. With the service stopped the payload is dumped as text.
Reply DecodeReply(std::string_view read, bool serviceStopped, const std::array<std::string, 6>& tags = kReplyTags);

// The payload's tokens from byte 30 to L-1, split at single spaces, with
// UpperNarrow. A zero byte ends a token's text, as a C string would.
std::vector<std::string> PayloadTokens(std::string_view frame, int length);

// The dump of a read as the log shows it, without the prefix and CR LF.
std::string DumpText(std::string_view read, bool serviceStopped);

// a-z to A-Z; nothing else changes. Double-byte characters of the system
// code page are stepped over whole, since their trail byte may be a-z.
std::string UpperNarrow(std::string_view text);

}  // namespace devlink
