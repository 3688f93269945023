// Loads any bytes from a file, navigates the result, saves it and loads the
// saved file again.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/IndexSanity.h"
#include "textcodec/CodePage.h"
#include "xml/Encodings.h"

namespace {

std::string TempPath(const char* tag) {
    return "/tmp/veskora-fuzz-load-" + std::to_string(::getpid()) + "-" + tag + ".xml";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const int kPages[] = {949, 1252, 65001, 932};
    textcodec::ScopedSystemCodePage page(kPages[data[0] % 4]);
    const std::string in = TempPath("in");
    const std::string out = TempPath("out");
    if (std::FILE* f = std::fopen(in.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    } else {
        return 0;
    }
    xml::XmlTextDoc doc;
    const bool loaded = doc.LoadFrom(in.c_str());
    FUZZ_CHECK(!doc.ReportText().empty() || size == 1, "a load leaves a record");
    if (loaded || !doc.DocText().empty()) CheckIndexAndNavigate(doc);
    if (doc.SaveTo(out.c_str())) {
        xml::XmlTextDoc again;
        again.LoadFrom(out.c_str());
        CheckIndexAndNavigate(again);
    }
    std::remove(in.c_str());
    std::remove(out.c_str());
    // UTF-8 converts the same with and without the processor's wider vectors.
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string converted = xml::ConvertText("UTF-8", "", bytes);
    textcodec::ScopedBaselineVectors baseline;
    FUZZ_CHECK(xml::ConvertText("UTF-8", "", bytes) == converted, "both vector forms convert alike");
    return 0;
}
