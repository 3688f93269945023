#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "link/SiteWriter.h"
#include "network/Site.h"

// What the Network tab shows of a value, and where modules sit on the
// frequency scale: plain functions, no widgets.
namespace netview {

enum class ShownState {
    Unknown,
    Read,
    Edited,
    DiffersFromPlan,
    Confirmed,
    WrittenDiffers,
    NoAnswer,
    NotWritten,
    NotConfirmed,
    ReadBeforeLoss,      // read on a link that has since dropped
    ConfirmedBeforeLoss  // confirmed on a link that has since dropped
};
const char* ShownStateName(ShownState state);

// What the tab knows of one value beyond the value itself.
struct ValueNotes {
    bool edited = false;   // typed in on the tab, not yet written
    bool differs = false;  // the last compare found it other than the plan
    bool written = false;  // a write of it ended with `result`
    devlink::WriteResult result = devlink::WriteResult::NotAttempted;
};

// fromLostLink (network::FromLostLink): a value read or confirmed on a link
// that has since been lost is shown as from before the link was lost.
ShownState StateOf(const network::Value& live, const ValueNotes& notes, bool fromLostLink = false);

// A frequency in Hz (digits) as the tree shows it: "868.300 MHz", digits
// beyond the kHz kept ("868.3125 MHz"). Any other text comes back as it is.
std::string Megahertz(const std::string& hz);
// A typed frequency in Hz: "868.3", "868.3 MHz" and "868300000" all give
// "868300000". Anything else comes back as typed, for the value's check to
// refuse with its reason.
std::string TypedHz(const std::string& typed);

// One module on the frequency plan.
struct Placement {
    std::string label;          // "gateway / SX1280 A (A00001)"
    double megahertz = 0;       // where it sits
    bool subGigahertz = false;  // below 1.5 GHz (the SX1276 band), else the 2.4 GHz band
    bool clash = false;         // shares its frequency where it must not
};

// Every module whose frequency is known, planned where the plan gives one,
// else as read. The two gateway radios clash when they share one.
std::vector<Placement> PlaceModules(const network::Site& live, const network::Site& plan);

}  // namespace netview
