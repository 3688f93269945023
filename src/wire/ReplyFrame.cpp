#include "wire/ReplyFrame.h"

#include <algorithm>
#include <cstdio>

#include "textcodec/CodePage.h"

namespace devlink {
namespace {

// The byte at i of the zero-filled frame buffer a read is placed in.
unsigned char At(std::string_view read, std::size_t i) {
    return i < read.size() && i < kReadSize ? static_cast<unsigned char>(read[i]) : 0;
}

std::string Field(std::string_view read, std::size_t from, std::size_t count) {
    std::string out;
    for (std::size_t i = from; i < from + count; ++i) {
        const unsigned char b = At(read, i);
        if (b == 0) break;  // the program's strings end at a zero byte
        out += static_cast<char>(b);
    }
    return out;
}

// A byte shown as a character; a zero byte shows as a dot so that it cannot
// end the log entry early.
char Visible(unsigned char b) { return b == 0 ? '.' : static_cast<char>(b); }

}  // namespace

std::string UpperNarrow(std::string_view text) {
    std::string out(text);
    const std::uint8_t* lengths = textcodec::LeadByteLengths(textcodec::SystemCodePage());
    const char* const end = out.data() + out.size();
    for (char* p = out.data(); p < end;) {
        const int n = textcodec::CharLength(lengths, p, end);
        if (n == 1 && *p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
        p += n;
    }
    return out;
}

std::string DumpText(std::string_view read, bool serviceStopped) {
    std::string dump;
    const std::size_t n = std::min(read.size(), kReadSize);
    if (n > kHeaderSize) {
        const int length = At(read, kLengthOffset);
        char hex[8];
        for (int i = 0; i < length; ++i) {
            const unsigned char b = At(read, static_cast<std::size_t>(i));
            if (serviceStopped && i >= static_cast<int>(kHeaderSize)) {
                dump += Visible(b);
            } else {
                std::snprintf(hex, sizeof hex, "0x%02x ", b);
                dump += hex;
            }
        }
    } else if (n > 0 && read[0] == '$') {
        for (std::size_t i = 0; i < n; ++i) dump += Visible(static_cast<unsigned char>(read[i]));
    }
    return dump;
}

std::vector<std::string> PayloadTokens(std::string_view frame, int length) {
    std::vector<std::string> tokens;
    std::string current;
    bool ended = false;  // a zero byte ended the current token's text
    const auto store = [&] {
        tokens.push_back(UpperNarrow(current));
        current.clear();
        ended = false;
    };
    for (int i = 30; i < length; ++i) {
        const unsigned char b = At(frame, static_cast<std::size_t>(i));
        if (b == ' ') {
            store();
            continue;
        }
        if (b == 0) {
            ended = true;
        } else if (!ended) {
            current += static_cast<char>(b);
        }
        if (i == length - 1) {
            store();
            break;
        }
    }
    return tokens;
}

std::string EncodeReply(std::string_view tag, std::string_view id, std::string_view payload, std::string_view header) {
    std::string frame(header.substr(0, kHeaderSize));
    frame.resize(kHeaderSize, '\x01');
    frame.append(tag.substr(0, 2)).resize(kHeaderSize + 2, ' ');
    frame += ' ';
    frame.append(id.substr(0, 6)).resize(kHeaderSize + 9, ' ');
    frame += ' ';
    frame += payload;
    if (frame.size() > 255) frame.resize(255);
    frame[kLengthOffset] = static_cast<char>(frame.size());
    return frame;
}

Reply DecodeReply(std::string_view read, bool serviceStopped, const std::array<std::string, 6>& tags) {
    Reply reply;
    const std::size_t n = std::min(read.size(), kReadSize);
    if (n > kHeaderSize) {
        reply.tag.assign({static_cast<char>(At(read, 20)), static_cast<char>(At(read, 21))});
    } else {
        reply.textMessage = n > 0 && read[0] == '$';
    }
    reply.logEntry = "[Response] " + DumpText(read, serviceStopped) + "\r\n";

    int which = -1;
    for (std::size_t k = 0; k < tags.size() && which < 0; ++k) {
        if (!reply.tag.empty() && reply.tag == tags[k]) which = static_cast<int>(k);
    }
    if (which < 0) return reply;

    reply.tagIndex = which;
    reply.moduleId = UpperNarrow(Field(read, 23, 6));
    const int length = At(read, kLengthOffset);
    const auto fill = [&](std::size_t size, std::size_t first) {
        reply.values.assign(size, std::string());
        const auto tokens = PayloadTokens(read, length);
        for (std::size_t k = 0; k < tokens.size(); ++k) {
            if (first + k < size) {
                reply.values[first + k] = tokens[k];
            } else {
                ++reply.extraTokens;
            }
        }
    };
    switch (which) {
        case kTagGM:  // 21 NET KEYs, the first as it is
            reply.netKeys.push_back(Field(read, 30, 3));
            for (int i = 34; i < length - 2; i += 5) {
                reply.netKeys.push_back(UpperNarrow(Field(read, static_cast<std::size_t>(i), 4)));
            }
            break;
        case kTagG2:  // a gateway radio's ID and frequency at fixed offsets
            reply.g2Id = UpperNarrow(Field(read, 23, 6));
            reply.g2Frequency = Field(read, 30, 10);
            break;
        case kTagR2:
        case kTagR9: fill(4, 1); break;
        case kTagRM:  // the node IDs
            reply.values = PayloadTokens(read, length);
            break;
        default:  // N9
            fill(9, 0);
            break;
    }
    return reply;
}

}  // namespace devlink
