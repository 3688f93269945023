#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "xml/XmlTextDoc.h"

// What an element index says about one element, in document order.
struct IndexedElement {
    std::int32_t start, length;
    int startTag, endTag, depth;
    bool operator==(const IndexedElement&) const = default;
};

// Walks the tree from element 0 through first-child and next-sibling links.
inline std::vector<IndexedElement> WalkIndex(const xml::XmlTextDoc& doc) {
    std::vector<IndexedElement> out;
    std::uint32_t e = doc.Element(0).firstChild;
    int depth = 0;
    while (e) {
        const xml::ElementEntry& x = doc.Element(e);
        out.push_back({x.start, x.length, x.StartTagLength(), x.EndTagLength(), depth});
        if (x.firstChild) {
            e = x.firstChild;
            ++depth;
            continue;
        }
        while (e && !doc.Element(e).next) {
            e = doc.Element(e).parent;
            --depth;
        }
        if (e) e = doc.Element(e).next;
    }
    return out;
}

// Empty when the document's index describes the same tree as a fresh parse
// of its text; otherwise what differs first.
inline std::string IndexMismatch(const xml::XmlTextDoc& doc) {
    const xml::XmlTextDoc fresh(doc.DocText());
    const auto have = WalkIndex(doc);
    const auto want = WalkIndex(fresh);
    if (doc.Element(0).length != static_cast<std::int32_t>(doc.DocText().size())) return "document length";
    if (have.size() != want.size()) {
        return "element count " + std::to_string(have.size()) + " vs " + std::to_string(want.size());
    }
    for (size_t i = 0; i < have.size(); ++i) {
        if (!(have[i] == want[i])) {
            return "element " + std::to_string(i) + ": start " + std::to_string(have[i].start) + " vs " +
                   std::to_string(want[i].start) + ", length " + std::to_string(have[i].length) + " vs " +
                   std::to_string(want[i].length) + ", tags " + std::to_string(have[i].startTag) + "/" +
                   std::to_string(have[i].endTag) + " vs " + std::to_string(want[i].startTag) + "/" +
                   std::to_string(want[i].endTag) + ", depth " + std::to_string(have[i].depth) + " vs " +
                   std::to_string(want[i].depth);
        }
    }
    return {};
}
