#pragma once

#include <array>
#include <map>
#include <string>
#include <vector>

// One simulated gateway: what it knows and how it answers a command line.
namespace gatewaysim {

struct RadioSettings {
    std::string frequency = "2402000000";
    std::string netKey = "0000";
    std::string busySf = "7";
};

struct Model {
    std::array<std::string, 21> netKeys;
    std::map<std::string, std::string> gatewayFrequency;             // radio ID -> frequency
    std::map<std::string, RadioSettings> repeaterRadios;             // module ID -> settings
    std::map<std::string, std::vector<std::string>> nodeTables;      // repeater MCU ID -> node IDs
    std::map<std::string, std::vector<std::string>> nodeAttributes;  // node ID -> 7 values
    bool serviceStopped = false;
    bool rfConfigService = false;
    int commands = 0;
    int nodesPerRepeater = 0;  // a node table not yet set holds this many generated nodes

    Model();
};

// A reply frame: a 20-byte header with the length at byte 12, the tag, a
// blank, the 6-byte ID, a blank and the payload.
std::string BuildFrame(const std::string& tag, const std::string& id, const std::string& payload);

// Applies one command line (without its CR LF, or "$end"/"$start") to the
// model and returns what the gateway sends back: frames or "$" messages.
std::vector<std::string> Answer(Model& model, const std::string& line);

// Cuts complete commands off the front of a receive buffer.
std::vector<std::string> TakeCommands(std::string& buffer);

}  // namespace gatewaysim
