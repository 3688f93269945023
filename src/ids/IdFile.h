#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace xml {
class XmlTextDoc;
}

// The ID file: which module IDs an installation has, as one small XML tree
// (LORAID > Gatewy > GM, G2A, G2B; LORAID > Repeater > R1..R6 > six modules).
namespace ids {

// Six ID lists, one per repeater ("Repeater #1" to "#6"); a complete one holds
// MCU, SX1280 A, SX1280 B, SX1276 1, SX1276 2, SX1276 3.
using RepeaterRecords = std::array<std::vector<std::string>, 6>;

// The element names of a repeater's six modules, in record order.
inline constexpr std::array<const char*, 6> kModuleElements{"RM", "R2A", "R2B", "R91", "R92", "R93"};
// The repeaters' elements under "Repeater", first to sixth.
inline constexpr std::array<const char*, 6> kRepeaterElements{"R1", "R2", "R3", "R4", "R5", "R6"};

// Makes sure the folder of the ID file exists, creating every missing level.
// 0 when the file or the folder is there afterwards; 1 when it cannot be made.
int EnsureIdFolder(const std::string& folder, const std::string& fileName);

// Fills an empty document with the ID tree. Only records of exactly six IDs
// are written. The gateway element is spelled "Gatewy": that is the format.
void BuildIdDocument(xml::XmlTextDoc& doc, const std::string& gatewayA, const std::string& gatewayB,
                     const RepeaterRecords& records);

// Where a walk puts what it reads; a null gateway MCU is not read.
struct IdReceivers {
    std::string* gatewayMcu = nullptr;
    std::string* gatewayA = nullptr;
    std::string* gatewayB = nullptr;
    RepeaterRecords* repeaters = nullptr;
};

// The largest ID file the pages read: a real one is under 2 KB.
inline constexpr std::int64_t kMaxIdFileBytes = 1 << 20;

// Loads the ID file into doc; false, with the reason in its report, when the
// file is missing, unreadable, larger than kMaxIdFileBytes or not one tree.
bool LoadIdFile(xml::XmlTextDoc& doc, const std::string& path);

// Reads a loaded ID document: the gateway's three IDs are assigned, six IDs
// per repeater element are appended to its list (from six elements per
// repeater at most). Files written with "Gatewy" are read through the
// fallback to the root's first child.
void WalkIdDocument(xml::XmlTextDoc& doc, const IdReceivers& into);

// The reason a load or save failed, from a document's report; empty if none.
std::string FileErrorOf(const std::string& report);

}  // namespace ids
