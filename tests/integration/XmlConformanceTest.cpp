#include <gtest/gtest.h>

#include "support/Files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

#include "support/XmlIndexCheck.h"
#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;

namespace {

const std::string kSuite = VESKORA_TESTDATA "/xmlconf/";

std::map<std::string, std::string> AttributesOf(std::string_view startTag) {
    static const std::regex attr(R"re(([\w:.-]+)\s*=\s*"([^"]*)")re");
    std::map<std::string, std::string> out;
    const std::string tag(startTag);
    for (std::sregex_iterator it(tag.begin(), tag.end(), attr), end; it != end; ++it) out[(*it)[1]] = (*it)[2];
    return out;
}

struct Case {
    std::string type, entities, id, path, output;
};

// The suite's catalog, read with the engine itself.
std::vector<Case> Catalog() {
    const XmlTextDoc doc(ReadDataFile(kSuite + "xmlconf-flattened.xml"));
    std::vector<Case> cases;
    const auto startTag = [&](std::uint32_t e) {
        return std::string_view(doc.DocText())
            .substr(static_cast<size_t>(doc.Element(e).start), static_cast<size_t>(doc.Element(e).StartTagLength()));
    };
    const auto baseOf = [&](std::uint32_t e) {
        std::string base;
        for (std::uint32_t p = doc.Element(e).parent; p; p = doc.Element(p).parent) {
            const auto a = AttributesOf(startTag(p));
            if (auto it = a.find("xml:base"); it != a.end()) base = it->second + base;
        }
        return base;
    };
    for (std::uint32_t e = 1; e < static_cast<std::uint32_t>(doc.NextFreeIndex()); ++e) {
        if (doc.TagNameOf(e) != "TEST") continue;
        auto a = AttributesOf(startTag(e));
        const std::string base = baseOf(e);
        cases.push_back({a["TYPE"], a["ENTITIES"], a["ID"], kSuite + base + a["URI"],
                         a.count("OUTPUT") ? kSuite + base + a["OUTPUT"] : std::string()});
    }
    return cases;
}

// Documents the engine reads as they are: not UTF-16, and no XML 1.1.
bool ReadableAsBytes(const std::string& text) {
    if (text.size() >= 2 && (static_cast<unsigned char>(text[0]) >= 0xFE || text[0] == '\0' || text[1] == '\0')) {
        return false;
    }
    return text.find("version=\"1.1\"") == std::string::npos && text.find("version='1.1'") == std::string::npos;
}

std::vector<std::string> ElementNames(const XmlTextDoc& doc) {
    std::vector<std::string> names;
    for (std::uint32_t e = 1; e < static_cast<std::uint32_t>(doc.NextFreeIndex()); ++e) {
        names.emplace_back(doc.TagNameOf(e));
    }
    return names;
}

}  // namespace

TEST(XmlConformance, CatalogListsTheWholeSuite) {
    const auto cases = Catalog();
    EXPECT_EQ(cases.size(), 2585u);
}

TEST(XmlConformance, WellFormedDocumentsParseToTheTreeOfTheirCanonicalForm) {
    textcodec::ScopedSystemCodePage utf8(65001);
    int parsed = 0, compared = 0;
    std::vector<std::string> failures;
    for (const Case& c : Catalog()) {
        if ((c.type != "valid" && c.type != "invalid") || c.entities != "none") continue;
        const std::string text = ReadFile(c.path);
        if (!ReadableAsBytes(text)) continue;
        XmlTextDoc doc;
        ++parsed;
        if (!doc.SetDocText(text)) {
            failures.push_back(c.id + ": " + doc.ReportText().substr(0, 200));
            continue;
        }
        if (c.output.empty()) continue;
        const XmlTextDoc canonical(ReadFile(c.output));
        if (text.find("<!ENTITY") != std::string::npos) continue;  // internal entities may hold markup
        ++compared;
        EXPECT_EQ(ElementNames(doc), ElementNames(canonical)) << c.id;
    }
    EXPECT_GT(parsed, 550);
    EXPECT_GT(compared, 150);
    EXPECT_TRUE(failures.empty()) << failures.size() << " failed, first: " << (failures.empty() ? "" : failures[0]);
}

TEST(XmlConformance, MalformedDocumentsParseSafelyAndStructuralErrorsAreReported) {
    int total = 0, reported = 0;
    for (const Case& c : Catalog()) {
        if (c.type != "not-wf") continue;
        ++total;
        XmlTextDoc doc;
        if (!doc.SetDocText(ReadFile(c.path))) ++reported;
        EXPECT_TRUE(WalkIndex(doc).size() < 100000u);
    }
    EXPECT_EQ(total, 1498);
    std::printf("not-wf documents reported: %d of %d\n", reported, total);
    // The scanner checks markup structure only (no character, name or DTD rules),
    // so this counts the structural faults among the suite's malformed documents.
    EXPECT_GE(reported, 222);
}
