// Parses any bytes, then walks the index, navigates and reads every text;
// then reads the document as an ID file.
#include <cstdint>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "fuzz/IndexSanity.h"
#include "ids/IdFile.h"
#include "textcodec/CodePage.h"
#include "xml/Scanner.h"
#include "xml/XmlTextDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the code page the text is stepped in.
    static const int kPages[] = {949, 932, 65001, 1252, 1361, 950};
    textcodec::ScopedSystemCodePage page(kPages[data[0] % 6]);
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    xml::XmlTextDoc doc;
    doc.SetDocText(text);

    // The parse loop's own scan builds what the token scanner alone builds.
    xml::XmlTextDoc tokens;
    xml::SetDocTextByTokens(tokens, text);
    FUZZ_CHECK(doc.ReportText() == tokens.ReportText(), "reports differ");
    FUZZ_CHECK(doc.NextFreeIndex() == tokens.NextFreeIndex(), "element counts differ");
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(doc.NextFreeIndex()); ++i) {
        const xml::ElementEntry& f = doc.Element(i);
        const xml::ElementEntry& t = tokens.Element(i);
        FUZZ_CHECK(f.start == t.start && f.length == t.length && f.tagLengths == t.tagLengths &&
                       f.levelFlags == t.levelFlags && f.parent == t.parent && f.firstChild == t.firstChild &&
                       f.next == t.next && f.prev == t.prev,
                   "element %u differs", i);
    }

    CheckIndexAndNavigate(doc);

    // Any document ends the walk, with six IDs per repeater element read.
    xml::XmlTextDoc ids(doc.DocText());
    std::string mcu, a, b;
    ids::RepeaterRecords records;
    ids::WalkIdDocument(ids, {&mcu, &a, &b, &records});
    for (const auto& record : records) FUZZ_CHECK(record.size() % 6 == 0, "a record of %zu IDs", record.size());
    return 0;
}
