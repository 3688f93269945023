#include "ids/IdFile.h"

#include <filesystem>
#include <system_error>

#include "xml/XmlTextDoc.h"

namespace ids {

int EnsureIdFolder(const std::string& folder, const std::string& fileName) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(fs::path(folder + fileName), error)) return 0;
    // Every missing level is made; a folder that is there already is fine.
    fs::create_directories(fs::path(folder), error);
    return fs::is_directory(fs::path(folder), error) ? 0 : 1;
}

void BuildIdDocument(xml::XmlTextDoc& doc, const std::string& gatewayA, const std::string& gatewayB,
                     const RepeaterRecords& records) {
    doc.PutMain("LORAID");
    doc.PutChild("Gatewy");
    doc.Descend();
    doc.PutChild("GM", "FFFFFF");
    doc.PutChild("G2A", gatewayA.c_str());
    doc.PutChild("G2B", gatewayB.c_str());
    doc.Ascend();
    doc.PutChild("Repeater");
    doc.Descend();
    for (std::size_t k = 0; k < records.size(); ++k) {
        const std::vector<std::string>& record = records[k];
        if (record.size() != kModuleElements.size()) continue;
        doc.PutChild(kRepeaterElements[k]);
        doc.Descend();
        for (std::size_t m = 0; m < kModuleElements.size(); ++m) doc.PutChild(kModuleElements[m], record[m].c_str());
        doc.Ascend();
    }
    doc.Ascend();
}

bool LoadIdFile(xml::XmlTextDoc& doc, const std::string& path) {
    // Checked on the open file, so that what is read is what was measured.
    return doc.LoadFrom(path.c_str(), kMaxIdFileBytes);
}

void WalkIdDocument(xml::XmlTextDoc& doc, const IdReceivers& into) {
    // With no main position yet, a failed search for "Gateway" leaves the
    // root's first child to be taken as the gateway element ("Gatewy").
    doc.SeekChild("Gateway");
    doc.Descend();
    doc.SeekChild("GM");
    if (into.gatewayMcu) *into.gatewayMcu = doc.TextOfChild();
    // Each radio's search starts again at the gateway element's first child.
    doc.Ascend();
    doc.Descend();
    doc.SeekChild("G2A");
    if (into.gatewayA) *into.gatewayA = doc.TextOfChild();
    doc.Ascend();
    doc.Descend();
    doc.SeekChild("G2B");
    if (into.gatewayB) *into.gatewayB = doc.TextOfChild();

    // A real file has one element per repeater; past a few, the rest of a
    // hostile file is not read, so that the lists cannot grow without bound.
    constexpr std::size_t kMaxElementsPerRepeater = 6;
    std::array<std::size_t, 6> elementsRead{};
    for (;;) {
        doc.Ascend();
        if (!doc.SeekChild("Repeater")) break;
        doc.Descend();
        for (std::size_t k = 0; k < 6; ++k) {
            while (elementsRead[k] < kMaxElementsPerRepeater && doc.SeekChild(kRepeaterElements[k])) {
                ++elementsRead[k];
                if (into.repeaters) (*into.repeaters)[k].reserve((*into.repeaters)[k].size() + kModuleElements.size());
                doc.Descend();
                // Six IDs per element whatever it holds: a missing module
                // repeats the text of the one found before it.
                for (const char* module : kModuleElements) {
                    doc.SeekChild(module);
                    if (into.repeaters) (*into.repeaters)[k].push_back(doc.TextOfChild());
                }
                doc.Ascend();
            }
            if (k < 5) {
                doc.Ascend();
                doc.Descend();
            }
        }
    }
}

std::string FileErrorOf(const std::string& report) {
    const std::string start = "<file_error msg=\"";
    const std::size_t at = report.find(start);
    if (at == std::string::npos) return {};
    const std::size_t from = at + start.size();
    const std::size_t end = report.find('"', from);
    return xml::XmlTextDoc::DecodeEntities(
        std::string_view(report).substr(from, end == std::string::npos ? std::string::npos : end - from));
}

}  // namespace ids
