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

// The reply tags, defined once; ReplyTag indexes kReplyTags.
enum ReplyTag : int { kTagGM, kTagG2, kTagR2, kTagR9, kTagRM, kTagN9, kTagCount };
inline const std::array<std::string, kTagCount> kReplyTags{"GM", "G2", "R2", "R9", "RM", "N9"};

// The header a frame is given when its sender puts nothing of its own there.
inline constexpr std::string_view kPlainHeader =
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01"
    "\x01\x01\x01\x01\x01\x01\x01\x01\x01\x01";

// What one read decodes to.
struct Reply {
    std::string tag;           // bytes 20-21 of a read longer than the header, else empty
    std::string logEntry;      // "[Response] " + the dump + CR LF
    bool textMessage = false;  // a short read starting with '$'
    int tagIndex = -1;         // which known tag matched (a ReplyTag), -1 for none

    std::vector<std::string> netKeys;  // GM: all values
    std::string moduleId;              // bytes 23-28 of a tagged reply, a-z upper-cased
    std::string g2Id, g2Frequency;     // G2
    std::vector<std::string> values;   // R2/R9: 4 (element 0 unused), RM: every ID, N9: 9
    int extraTokens = 0;               // tokens beyond the arrays' sizes, not stored
};

// A reply frame as the gateway sends it: the 20-byte header (byte 12 set to
// the frame's length), the tag and a blank, the module ID padded or cut to
// six bytes and a blank, the payload; cut to 255 bytes, the most one length
// byte can say.
std::string EncodeReply(std::string_view tag, std::string_view id, std::string_view payload,
                        std::string_view header = kPlainHeader);

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
