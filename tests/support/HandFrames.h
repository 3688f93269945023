#pragma once

#include <string>
#include <vector>

#include "wire/ReplyFrame.h"

// Reply frames written out by hand from the layout, so that an error the
// encoder and the decoder share cannot pass: 20 header bytes with the length
// at byte 12, the tag at 20-21, a blank, the ID at 23-28, a blank, the
// payload from byte 30.
struct HandFrame {
    const char* name;
    std::string bytes;
    int tagIndex;
    std::string moduleId;
    std::vector<std::string> values;  // GM: the NET keys; G2: ID and frequency; else the values
    int extraTokens = 0;

    // Whether the length byte tells the frame's own size, so that frames can follow it.
    bool Whole() const { return std::size_t{static_cast<unsigned char>(bytes[12])} == bytes.size(); }
};

// A header whose length byte says length; the other bytes are any the gateway might put there.
inline std::string HandHeader(int length) {
    return std::string("\x02\x00\xFE\xFF\x7F\x80VESK", 10) + std::string("\x00\x01", 2) + static_cast<char>(length) +
           std::string("\x00\xAA\x55\x01\x02\x03\x04", 7);
}

// What a decoded reply holds, in the table's terms.
inline std::vector<std::string> HandValues(const devlink::Reply& reply) {
    if (reply.tagIndex == devlink::kTagGM) return reply.netKeys;
    if (reply.tagIndex == devlink::kTagG2) return {reply.g2Id, reply.g2Frequency};
    return reply.values;
}

inline std::vector<HandFrame> HandFrames() {
    std::vector<std::string> keys{"aut"};  // the first key is taken as it is, the others upper-cased
    for (int k = 101; k <= 120; ++k) keys.push_back("K" + std::to_string(k));
    std::string nodes;
    std::vector<std::string> nodeIds;
    for (int n = 1; n <= 32; ++n) {
        nodes += "n000" + std::string(n < 10 ? "0" : "") + std::to_string(n) + " ";
        nodeIds.push_back("N000" + std::string(n < 10 ? "0" : "") + std::to_string(n));
    }
    nodes += "z";  // 32 x 7 + 1: 225 payload bytes, a 255-byte frame
    nodeIds.push_back("Z");
    return {
        {"GM with 21 keys",
         HandHeader(133) + "GM FFFFFF aut k101 k102 k103 k104 k105 k106 k107 k108 k109 k110 "
                           "k111 k112 k113 k114 k115 k116 k117 k118 k119 k120",
         devlink::kTagGM, "FFFFFF", keys},
        {"G2 with an odd ID and bytes after the frequency",
         HandHeader(43) + "G2 a-b_c! 2480000000 xx",
         devlink::kTagG2,
         "A-B_C!",
         {"A-B_C!", "2480000000"}},
        {"G2 with a short ID ended by zero bytes",
         HandHeader(40) + "G2 " + std::string("ab\0\0\0\0", 6) + " " + std::string("915000000\0", 10),
         devlink::kTagG2,
         "AB",
         {"AB", "915000000"}},
        {"R2 whose length byte ends the payload early",
         HandHeader(34) + "R2 000001 2402 ab 9",
         devlink::kTagR2,
         "000001",
         {"", "2402", "", ""}},
        {"R2 whose length byte reaches past the data",
         HandHeader(50) + "R2 zz0001 1 2",
         devlink::kTagR2,
         "ZZ0001",
         {"", "1", "2", ""}},
        {"R9 with a token too many",
         HandHeader(48) + "R9 100003 915000000 0a0b 9 x",
         devlink::kTagR9,
         "100003",
         {"", "915000000", "0A0B", "9"},
         1},
        {"RM of 255 bytes, the most the length byte says", HandHeader(255) + "RM 100001 " + nodes, devlink::kTagRM,
         "100001", nodeIds},
        {"N9 with an empty value between",
         HandHeader(56) + "N9 N00007 2402000000 0001  7 120 0 0",
         devlink::kTagN9,
         "N00007",
         {"2402000000", "0001", "", "7", "120", "0", "0", "", ""}},
        {"N9 with no payload", HandHeader(30) + "N9 n00009 ", devlink::kTagN9, "N00009", std::vector<std::string>(9)},
    };
}
