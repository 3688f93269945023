#pragma once

#include "fuzz/FuzzCheck.h"
#include "xml/XmlTextDoc.h"

// Every element of the index lies inside the text, links stay in range, and
// navigation through the whole tree ends.
inline void CheckIndexAndNavigate(xml::XmlTextDoc& doc) {
    const auto textSize = static_cast<std::int64_t>(doc.DocText().size());
    const auto count = static_cast<std::uint32_t>(doc.NextFreeIndex());
    for (std::uint32_t i = 1; i < count; ++i) {
        const xml::ElementEntry& e = doc.Element(i);
        FUZZ_CHECK(e.start >= 0 && e.length >= 0 && std::int64_t{e.start} + e.length <= textSize, "element %u", i);
        FUZZ_CHECK(e.StartTagLength() + e.EndTagLength() <= e.length, "tag lengths of %u", i);
        FUZZ_CHECK(e.parent < count && e.firstChild < count && e.next < count && e.prev < count, "links of %u", i);
        FUZZ_CHECK(doc.ElementText(i).size() <= static_cast<std::size_t>(e.length) * 2 + 8, "text of %u", i);
    }
    std::uint32_t visited = 0;
    if (doc.SeekMain()) {
        while (visited < count * 2 + 2) {
            if (doc.SeekChild()) {
                ++visited;
                (void)doc.TextOfChild();
                doc.Descend();
                continue;
            }
            if (!doc.Ascend()) break;
        }
    }
    FUZZ_CHECK(visited < count, "walk visited %u of %u", visited, count);
}
