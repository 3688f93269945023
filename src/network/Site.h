#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "network/SiteState.h"
#include "wire/ReplyFrame.h"

// The whole network as data: every value the gateway can tell, each with
// where it came from. Plain C++; time comes in as a number, never read here.
namespace network {

// Where a value came from.
enum class Origin {
    Unknown,    // never read, never planned
    Read,       // the gateway said so (at `when`)
    Planned,    // from a plan or an edit, not yet on the device
    Confirmed,  // written, and a read-back said the same (at `when`)
    Differs,    // written, but a read-back said otherwise
    NoAnswer,   // asked, and nothing came
};

const char* OriginName(Origin origin);

struct Value {
    std::string text;
    Origin origin = Origin::Unknown;
    std::int64_t when = 0;  // milliseconds since the epoch, for Read and Confirmed
    // The link session it was read or confirmed on (Site::linkSession then);
    // 0 for a value of no link, such as one from a file.
    std::uint32_t session = 0;

    bool Known() const { return origin != Origin::Unknown && origin != Origin::NoAnswer; }
};

inline constexpr int kRepeaters = 6;
inline constexpr int kNetKeys = 21;  // AUTO and keys 0-19
inline constexpr int kNodeAttributes = 9;

// A radio module's settings (R2 and R9 replies).
struct RadioSettings {
    Value frequency, netKey, busySf;
};

struct GatewayModules {
    std::array<std::string, 3> ids;  // MCU, SX1280 A, SX1280 B
    std::array<Value, kNetKeys> netKeys;
    std::array<Value, 2> radioFrequency;  // SX1280 A, SX1280 B
};

struct Repeater {
    std::array<std::string, 6> ids;               // MCU, SX1280 A, SX1280 B, SX1276 1-3
    std::array<RadioSettings, 5> radios;          // the five radio modules, in that order
    std::array<Value, kNodeTableRows> nodeTable;  // SNT and nodes 1-30
};

struct Node {
    std::array<Value, kNodeAttributes> attributes;  // the first seven can be set
};

// Who commissioned the site and what they noted, kept with a plan for its
// reports. Narrow text (system code page); notes may hold line ends.
struct About {
    std::string site, technician, notes;

    bool Empty() const { return site.empty() && technician.empty() && notes.empty(); }
};

struct Site {
    GatewayModules gateway;
    std::array<Repeater, kRepeaters> repeaters;
    std::map<std::string, Node> nodes;  // by node ID
    // The link session replies come on now: counted up by the link's owner at
    // each new link, so that values of an earlier one are known as such.
    std::uint32_t linkSession = 0;
    // When each link session that ended was lost, for what values of it say.
    std::map<std::uint32_t, std::int64_t> lostAt;
    About about;
};

// Whether value came on a link that has since been lost (the current one
// dropped, or a later one stands): history until it is read again.
bool FromLostLink(const Site& site, const Value& value);

// Sets the module IDs of ids into site; the values of a module whose ID
// changed are forgotten, the others keep what was known of them.
void TakeIds(Site& site, const Site& ids);

// The paths of values, as ForEachValue and Compare name them. k counts the
// repeaters from 0 (shown from 1), m the radio modules 0-4 (SX1280 A, B,
// SX1276 1-3), n the node table's rows (0 the SNT), a the node's attributes.
enum RadioField { kFrequency, kNetKey, kBusySf };
namespace path {
std::string GatewayModule(int row);          // 0 MCU, 1 SX1280 A, 2 SX1280 B
std::string RepeaterModule(int k, int row);  // 0 MCU, 1-5 the radio modules
std::string NetKey(int k);                   // 0 AUTO, then keys 0-19
std::string GatewayFrequency(int r);         // 0 SX1280 A, 1 SX1280 B
std::string Radio(int k, int m, RadioField field);
std::string NodeTable(int k, int n);
std::string Node(const std::string& id, int a);
// Whether the value at path is a key to the radio network: the gateway's NET
// KEYs, a radio's NET key, a node's sub net key.
bool IsKey(std::string_view path);
// Whether the value at path is a radio's frequency in Hz.
bool IsFrequency(std::string_view path);
}  // namespace path

// The names of the values a reply of code carries, and a reply's values in
// that order (GM: the 21 NET KEYs, G2: the frequency, R2/R9: three, RM: 31,
// N9: nine).
std::vector<std::string> FieldNames(std::string_view code);
std::vector<std::string> ReplyValues(const devlink::Reply& reply);

// Stores what a decoded reply says into the value it answers (found by tag
// and ID) as Read at `now`; false when no value of the site answers to it.
bool ApplyReply(Site& site, const devlink::Reply& reply, std::int64_t now);
// The same for a reply the link saw answer a GET, whoever asked: a node's
// attributes only for a node the site knows (from a node table or a read).
bool ApplyObserved(Site& site, const devlink::Reply& reply, std::int64_t now);

// Every value of the site with its path ("repeater 3 / SX1276 1 / frequency"),
// in a fixed order: the gateway, the repeaters 1-6, the nodes by ID.
void ForEachValue(const Site& site, const std::function<void(const std::string& path, const Value&)>& visit);
void ForEachValue(Site& site, const std::function<void(const std::string& path, Value&)>& visit);

// Every module ID with its path ("gateway / SX1280 A", "repeater 2 / MCU").
void ForEachModuleId(const Site& site, const std::function<void(const std::string& path, const std::string&)>& visit);
void ForEachModuleId(Site& site, const std::function<void(const std::string& path, std::string&)>& visit);

// A path whose values differ between two sites: a value known on one side
// only, or known on both with other text.
struct Difference {
    std::string path;
    Value left, right;
};
std::vector<Difference> Compare(const Site& left, const Site& right);

}  // namespace network
