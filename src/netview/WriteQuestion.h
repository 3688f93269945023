#pragma once

#include <QString>
#include <vector>

#include "network/Site.h"
#include "network/WritePlan.h"

namespace netview {

// The one question before a write: each change in words ("repeater 1 /
// SX1276 1: frequency 2402000000 → 868300000"), that the service is
// stopped first with the choice to start it again at the end (Yes) or leave
// it stopped (No), and the exact lines under "Details".
QString WriteQuestion(const std::vector<network::WriteItem>& items, const network::Site& live, bool stopsService);

}  // namespace netview
