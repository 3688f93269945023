#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "wire/ReplyFrame.h"

// What the gateway has said about the site, and the decisions taken on it.
// Plain C++: the RF page, the tests and later clients call it directly.
namespace network {

// IDs compare without regard to a-z case (the ID file may hold them in lower
// case); double-byte characters compare exactly.
bool SameId(std::string_view a, std::string_view b);

// "######" (never set) and "FFFFFF" (broadcast) are never addressed by a module command.
bool Unaddressable(std::string_view id);

// The MCU's node table goes out with the SNT and all thirty nodes.
inline constexpr int kNodeTableRows = 31;
inline bool NodeTableComplete(int rows) { return rows >= kNodeTableRows; }

// The RF page's ShowReply case of a reply: 1-6 by tag, 0 when nothing is
// shown (an unknown tag, a GM reply without exactly 21 values).
int ShowReplyCase(const devlink::Reply& reply);

// What may become of a gateway radio's SET of a frequency.
struct FrequencyClaim {
    enum Kind { Free, OwnAlready, TakenBy } kind = Free;
    std::string owner;  // with TakenBy: the module that reported it
};

// The values of the last reply of each tag; a reply replaces its own tag's only.
class SiteState {
public:
    // Stores a decoded reply's values under its tag; false for an unknown tag.
    bool Store(const devlink::Reply& reply);

    // Whether module id may be set to frequency, given who reported it last.
    FrequencyClaim ClaimFrequency(const std::string& id, const std::string& frequency) const;

    std::vector<std::string> netKeys;   // GM: the 21 NET KEYs
    std::string g2Id, g2Frequency;      // G2: the last gateway radio that answered
    std::vector<std::string> r2Values;  // R2: 4 (element 0 unused)
    std::vector<std::string> r9Values;  // R9: likewise
    std::vector<std::string> nodeIds;   // RM: every node ID
    std::vector<std::string> n9Values;  // N9: 9
    // Frequency -> the module that reported it last; each module holds one.
    std::map<std::string, std::string> frequencyOwner;

private:
    void OwnFrequency(const std::string& id, const std::string& frequency);

    std::map<std::string, std::string> m_frequencyOfId;  // the reverse, so a move frees the old one at once
};

}  // namespace network
