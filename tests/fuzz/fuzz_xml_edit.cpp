// Random additions and moves; after each addition the index must describe the
// same tree as a fresh parse of the text.
#include <cstdint>
#include <string>

#include "fuzz/FuzzCheck.h"
#include "support/XmlIndexCheck.h"
#include "xml/XmlTextDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const char* kNames[] = {"a", "bb", "GM", "R3", "n.1", "x-y", "\xB0\xA1", "Gatewy"};
    static const std::uint32_t kFlags[] = {0,
                                           xml::kPutCdata,
                                           xml::kPutNoLineBreaks,
                                           xml::kPutSpaceBeforeSlash,
                                           xml::kPutKeepReferences,
                                           xml::kPutCdata | xml::kPutNoLineBreaks,
                                           xml::kPutNoLineBreaks | xml::kPutSpaceBeforeSlash,
                                           xml::kPutKeepReferences | xml::kPutNoLineBreaks};
    xml::XmlTextDoc doc;
    std::size_t i = 0;
    const auto next = [&]() -> std::uint8_t { return i < size ? data[i++] : 0; };
    // Texts are taken from the input itself: any bytes up to a NUL, at most 16.
    const auto text = [&]() {
        std::string t;
        const std::size_t n = next() % 17;
        for (std::size_t k = 0; k < n && i < size && data[i]; ++k) t += static_cast<char>(data[i++]);
        return t;
    };
    int steps = 0;
    while (i < size && steps++ < 200) {
        const std::uint8_t op = next();
        bool added = false;
        switch (op % 8) {
            case 0:
            case 1: {
                const std::string t = text();
                added = doc.PutMain(kNames[next() % 8], (op & 0x80) ? nullptr : t.c_str(), kFlags[next() % 8]);
                break;
            }
            case 2:
            case 3: {
                const std::string t = text();
                added = doc.PutChild(kNames[next() % 8], (op & 0x80) ? nullptr : t.c_str(), kFlags[next() % 8]);
                break;
            }
            case 4: {
                const std::string t = text();
                added = doc.PutAttribute(kNames[next() % 6], t.c_str(), (op & 0x40) ? xml::kPutKeepReferences : 0);
                break;
            }
            case 5: doc.Descend(); break;
            case 6: doc.Ascend(); break;
            case 7:
                if (op & 0x10) {
                    doc.SeekMain();
                } else {
                    doc.SeekChild();
                }
                break;
        }
        if (added) {
            const std::string mismatch = IndexMismatch(doc);
            FUZZ_CHECK(mismatch.empty(), "%s in\n%s", mismatch.c_str(), doc.DocText().c_str());
        }
    }
    return 0;
}
