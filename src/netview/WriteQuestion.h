#pragma once

#include <QString>
#include <vector>

#include "network/Site.h"
#include "network/WritePlan.h"

namespace netview {

// The one question before a write: each change in words ("repeater 1 /
// SX1276 1: frequency 2402000000 → 868300000"), whether the service is
// stopped first and started again at the end, and the exact lines under
// "Details".
QString WriteQuestion(const std::vector<network::WriteItem>& items, const network::Site& live, bool stopsService);

}  // namespace netview
