// Parses any bytes, then walks the index, navigates and reads every text.
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the code page the text is stepped in.
    static const int kPages[] = {949, 932, 65001, 1252, 1361, 950};
    textcodec::ScopedSystemCodePage page(kPages[data[0] % 6]);
    xml::XmlTextDoc doc;
    doc.SetDocText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    const auto textSize = static_cast<std::int64_t>(doc.DocText().size());
    const auto count = static_cast<std::uint32_t>(doc.NextFreeIndex());
    for (std::uint32_t i = 1; i < count; ++i) {
        const xml::ElementEntry& e = doc.Element(i);
        FUZZ_CHECK(e.start >= 0 && e.length >= 0 && std::int64_t{e.start} + e.length <= textSize, "element %u", i);
        FUZZ_CHECK(e.StartTagLength() + e.EndTagLength() <= e.length, "tag lengths of %u", i);
        FUZZ_CHECK(e.parent < count && e.firstChild < count && e.next < count && e.prev < count, "links of %u", i);
        FUZZ_CHECK(doc.ElementText(i).size() <= static_cast<std::size_t>(e.length) * 2 + 8, "text of %u", i);
    }

    // Depth-first through SeekChild/Descend/Ascend, bounded by the element count.
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
    return 0;
}
