#include <gtest/gtest.h>

#include <random>

#include "support/XmlIndexCheck.h"
#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;

namespace {

// A random sequence of additions and moves; after each addition the index
// must describe exactly the tree a fresh parse of the text finds.
void RunRandomEdits(std::uint32_t seed, int steps) {
    std::mt19937 rng(seed);
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    const char* names[] = {"a", "bb", "c1", "GM", "R3", "x.y", "\xB0\xA1"};
    const char* texts[] = {nullptr, "", "FFFFFF", "a<b&c", " spaced ", "x]]>y", "&amp; kept", "\xB3\xAA"};
    const std::uint32_t flagSets[] = {0,
                                      xml::kPutNoLineBreaks,
                                      xml::kPutSpaceBeforeSlash,
                                      xml::kPutCdata,
                                      xml::kPutKeepReferences,
                                      xml::kPutCdata | xml::kPutNoLineBreaks};
    XmlTextDoc doc;
    const char* starts[] = {"", "<root>\r\n  <x a='1'>t</x>\r\n  <y/>\r\n</root>\r\n",
                            "<r><a><b><c/></b>t<b/></a><a x=\"1\"><b>u</b></a></r>", "<r/>"};
    doc.SetDocText(starts[pick(4)]);
    for (int step = 0; step < steps; ++step) {
        bool added = false;
        switch (pick(10)) {
            case 0:
            case 1: added = doc.PutMain(names[pick(7)], texts[pick(8)], flagSets[pick(6)]); break;
            case 2:
            case 3: added = doc.PutChild(names[pick(7)], texts[pick(8)], flagSets[pick(6)]); break;
            case 4: added = doc.PutAttribute(names[pick(6)], texts[pick(8)] ? texts[pick(8)] : "v"); break;
            case 5: doc.Descend(); break;
            case 6: doc.Ascend(); break;
            case 7: doc.SeekMain(nullptr); break;
            case 8: doc.SeekChild(nullptr); break;
            case 9:
                // Back to the first child of the parent level.
                if (doc.Ascend()) doc.Descend();
                break;
        }
        if (added) {
            const std::string mismatch = IndexMismatch(doc);
            ASSERT_TRUE(mismatch.empty()) << "seed " << seed << " step " << step << ": " << mismatch << "\n"
                                          << doc.DocText();
        }
    }
}

}  // namespace

TEST(XmlInsertProperty, RandomAdditionsKeepTheIndexEqualToAFreshParse) {
    for (std::uint32_t seed = 1; seed <= 300; ++seed) RunRandomEdits(seed, 60);
}
