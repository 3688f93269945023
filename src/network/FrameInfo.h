#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "wire/ReplyFrame.h"

// One command or reply as the decoded-frames window lists it: its tag, ID,
// values by name, what is odd about it, and which bytes are which. Plain C++.
namespace network {

struct ByteSpan {
    enum Kind { Header, LengthByte, Tag, Id, Payload, Beyond };
    std::size_t offset, length;
    Kind kind;
};

struct FrameInfo {
    bool outgoing = false;
    std::string tag, id;
    std::vector<std::pair<std::string, std::string>> values;  // name, value
    std::vector<std::string> warnings;
    std::vector<ByteSpan> spans;  // replies only: the parts of the frame
};

// A reply frame (or "$" message) as it arrived; givenUp when its rest never
// came and it was handled as it was after the wait.
FrameInfo DescribeReply(std::string_view frame, bool givenUp);
// The same for a frame the link has decoded already.
FrameInfo DescribeReply(std::string_view frame, const devlink::Reply& reply, bool givenUp);
// A command line as it was sent.
FrameInfo DescribeCommand(std::string_view line);

}  // namespace network
