// Parses any bytes, then walks the index, navigates and reads every text.
#include <cstdint>
#include <string_view>

#include "fuzz/IndexSanity.h"
#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the code page the text is stepped in.
    static const int kPages[] = {949, 932, 65001, 1252, 1361, 950};
    textcodec::ScopedSystemCodePage page(kPages[data[0] % 6]);
    xml::XmlTextDoc doc;
    doc.SetDocText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

    CheckIndexAndNavigate(doc);
    return 0;
}
