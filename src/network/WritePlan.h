#pragma once

#include <string>
#include <vector>

#include "network/Site.h"

// What writing a plan to a site takes: the SET lines, each with the GET that
// reads it back and the values the read-back must show. Plain C++.
namespace network {

// The plan's known values that the site lacks or holds otherwise, in the
// order of ForEachValue. Values the plan does not know are not its business.
std::vector<Difference> PlanDifferences(const Site& plan, const Site& live);

// One SET and its read-back. A SET carries every value of its module, so
// values the plan leaves open go out as the site holds them.
struct WriteItem {
    std::string module;                 // "repeater 3 / SX1276 1", "node N00101", "gateway / NET KEYs"
    std::string code;                   // GM, G2, R2, R9, RM or N9
    std::string id;                     // the module addressed
    std::string setLine;                // exactly what is sent
    std::string getLine;                // the read-back
    std::vector<std::string> paths;     // every value the SET carries
    std::vector<std::string> expected;  // what the read-back must show for each
    std::string problem;                // not empty: the item cannot be written, and why
};

// The writes that bring the site to the plan: one per module with a
// difference, in the order of ForEachValue. Modules are addressed by the
// plan's IDs, or the site's where the plan has none.
std::vector<WriteItem> PlanWrites(const Site& plan, const Site& live);

// Values compare as the gateway echoes them: blanks at the ends and the case
// of a-z do not count.
bool SameValue(const std::string& a, const std::string& b);

// The paths of item whose value in site (after the read-back) is not the
// expected one; empty when the write is confirmed.
std::vector<std::string> Unconfirmed(const WriteItem& item, const Site& site);

// Sets each value of item in site to Confirmed (at now) or Differs.
void MarkWritten(const WriteItem& item, Site& site, std::int64_t now);

}  // namespace network
