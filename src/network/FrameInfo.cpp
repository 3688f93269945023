#include "network/FrameInfo.h"

#include <algorithm>

#include "network/Site.h"
#include "wire/ReplyFrame.h"

namespace network {
namespace {

bool IsKnownTag(const std::string& tag) {
    return std::find(devlink::kReplyTags.begin(), devlink::kReplyTags.end(), tag) != devlink::kReplyTags.end();
}

}  // namespace

FrameInfo DescribeReply(std::string_view frame, bool givenUp) {
    return DescribeReply(frame, devlink::DecodeReply(frame, false), givenUp);
}

FrameInfo DescribeReply(std::string_view frame, const devlink::Reply& reply, bool givenUp) {
    FrameInfo info;
    if (reply.textMessage) {
        info.tag = "$";
        info.values.emplace_back("message", std::string(frame));
        return info;
    }
    info.tag = reply.tag;
    info.id = reply.moduleId;
    const std::vector<std::string> names = FieldNames(reply.tag);
    const std::vector<std::string> values = ReplyValues(reply);
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) info.values.emplace_back(names[i], values[i]);

    if (reply.tagIndex < 0) {
        std::string upper = devlink::UpperNarrow(reply.tag);
        info.warnings.push_back(IsKnownTag(upper) && upper != reply.tag ? "lower-case tag \"" + reply.tag + "\""
                                                                        : "unknown tag \"" + reply.tag + "\"");
    }
    const std::size_t length =
        frame.size() > devlink::kLengthOffset ? static_cast<unsigned char>(frame[devlink::kLengthOffset]) : 0;
    if (length > frame.size()) {
        info.warnings.push_back("length byte " + std::to_string(length) + " is beyond the " +
                                std::to_string(frame.size()) + " bytes that came");
    }
    if (reply.extraTokens > 0) info.warnings.push_back(std::to_string(reply.extraTokens) + " tokens too many");
    if (givenUp) info.warnings.push_back("given up after 300 ms: its rest never came");

    // The parts of the frame, as far as the bytes go.
    const auto span = [&](std::size_t from, std::size_t to, ByteSpan::Kind kind) {
        if (from >= frame.size() || to <= from) return;
        info.spans.push_back({from, std::min(to, frame.size()) - from, kind});
    };
    span(0, devlink::kLengthOffset, ByteSpan::Header);
    span(devlink::kLengthOffset, devlink::kLengthOffset + 1, ByteSpan::LengthByte);
    span(devlink::kLengthOffset + 1, devlink::kHeaderSize, ByteSpan::Header);
    span(20, 22, ByteSpan::Tag);
    span(23, 29, ByteSpan::Id);
    span(30, std::max<std::size_t>(30, std::min(length, frame.size())), ByteSpan::Payload);
    if (length < frame.size()) span(std::max<std::size_t>(length, 30), frame.size(), ByteSpan::Beyond);
    return info;
}

FrameInfo DescribeCommand(std::string_view line) {
    FrameInfo info;
    info.outgoing = true;
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    std::vector<std::string> words;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t blank = text.find(' ', at);
        words.push_back(text.substr(at, blank == std::string::npos ? std::string::npos : blank - at));
        if (blank == std::string::npos) break;
        at = blank + 1;
    }
    if (words.size() >= 3 && (words[0] == "AT+GET" || words[0] == "AT+SET")) {
        info.tag = words[1];
        info.id = words[2];
        const std::vector<std::string> names = FieldNames(words[1]);
        for (std::size_t i = 3; i < words.size(); ++i) {
            info.values.emplace_back(i - 3 < names.size() ? names[i - 3] : "value " + std::to_string(i - 2), words[i]);
        }
    } else {
        info.values.emplace_back("line", text);
    }
    return info;
}

}  // namespace network
