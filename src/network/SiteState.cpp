#include "network/SiteState.h"

namespace network {

bool SameId(std::string_view a, std::string_view b) { return devlink::UpperNarrow(a) == devlink::UpperNarrow(b); }

bool Unaddressable(std::string_view id) { return SameId(id, "######") || SameId(id, "FFFFFF"); }

int ShowReplyCase(const devlink::Reply& reply) {
    if (reply.tagIndex < 0) return 0;
    if (reply.tagIndex == devlink::kTagGM && reply.netKeys.size() != 21) return 0;  // stored, not shown
    return reply.tagIndex + 1;
}

bool SiteState::Store(const devlink::Reply& reply) {
    switch (reply.tagIndex) {
        case devlink::kTagGM: netKeys = reply.netKeys; break;
        case devlink::kTagG2:
            g2Id = reply.g2Id;
            g2Frequency = reply.g2Frequency;
            OwnFrequency(g2Id, g2Frequency);
            break;
        case devlink::kTagR2: r2Values = reply.values; break;
        case devlink::kTagR9: r9Values = reply.values; break;
        case devlink::kTagRM: nodeIds = reply.values; break;
        case devlink::kTagN9: n9Values = reply.values; break;
        default: return false;
    }
    return true;
}

void SiteState::OwnFrequency(const std::string& id, const std::string& frequency) {
    // The frequency the module held before is free again, unless another
    // module has reported it since.
    const auto held = m_frequencyOfId.find(id);
    if (held != m_frequencyOfId.end()) {
        const auto owner = frequencyOwner.find(held->second);
        if (owner != frequencyOwner.end() && owner->second == id) frequencyOwner.erase(owner);
    }
    frequencyOwner[frequency] = id;
    m_frequencyOfId[id] = frequency;
}

FrequencyClaim SiteState::ClaimFrequency(const std::string& id, const std::string& frequency) const {
    const auto owner = frequencyOwner.find(frequency);
    if (owner == frequencyOwner.end()) return {};
    if (SameId(owner->second, id)) return {FrequencyClaim::OwnAlready, owner->second};
    return {FrequencyClaim::TakenBy, owner->second};
}

}  // namespace network
