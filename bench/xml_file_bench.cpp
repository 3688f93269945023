// Loading files end to end (read, detect, convert into code page 949, parse)
// with the XML engine, and the ID file against pugixml in the same run.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "AllocCounter.h"
#include "Generate.h"
#include "ids/IdFile.h"
#include "textcodec/CodePage.h"
#include "xml/Encodings.h"
#include "xml/XmlTextDoc.h"

namespace fs = std::filesystem;
using alloc::Heap;

namespace {

constexpr std::size_t kFileBytes = 32u << 20;

const fs::path& Folder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("veskora-file-bench-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// Running text of about kFileBytes once written in the encoding: Korean in
// UTF-8, UTF-16LE (with a mark) and EUC-KR, and English (ASCII only).
enum File { kAscii, kKoreanUtf8, kKoreanUtf16, kKoreanEucKr, kMostlyAscii, kFileCount };
const char* const kFileNames[] = {"ascii_text", "korean_text_utf8", "korean_text_utf16", "korean_text_euckr",
                                  "mostly_ascii_utf8"};

std::string Declared(const char* encoding, const std::string& body) {
    return std::string("<?xml version=\"1.0\" encoding=\"") + encoding + "\"?>\r\n" + body;
}

std::string KoreanIn(const char* encoding, const char* label) {
    // Sized so that the encoded file, not the UTF-8 text, is kFileBytes.
    const std::string sample = gen::RunningText(1u << 20, true);
    const double ratio =
        static_cast<double>(sample.size()) / static_cast<double>(xml::ConvertText("UTF-8", encoding, sample).size());
    const std::string utf8 = gen::RunningText(static_cast<std::size_t>(kFileBytes * ratio), true);
    return xml::ConvertText("UTF-8", encoding, Declared(label, utf8));
}

const fs::path& FilePath(int file) {
    static fs::path paths[kFileCount];
    fs::path& p = paths[file];
    if (p.empty()) {
        p = Folder() / (std::string(kFileNames[file]) + ".xml");
        switch (file) {
            case kAscii: Write(p, Declared("UTF-8", gen::RunningText(kFileBytes, false))); break;
            case kKoreanUtf8: Write(p, KoreanIn("UTF-8", "UTF-8")); break;
            case kKoreanUtf16: Write(p, "\xFF\xFE" + KoreanIn("UTF-16", "UTF-16")); break;
            case kKoreanEucKr: Write(p, KoreanIn("EUC-KR", "EUC-KR")); break;
            default: {
                // Small elements with Hangul in every thousandth line.
                std::string s = gen::SmallElements(kFileBytes);
                const std::string hangul = "\xEA\xB2\x8C\xEC\x9D\xB4\xED\x8A\xB8\xEC\x9B\xA8\xEC\x9D\xB4";
                for (std::size_t at = 0; (at = s.find("<sf>7</sf>", at)) != std::string::npos; at += 10000) {
                    s.replace(at + 4, 1, hangul);
                }
                Write(p, s);
                break;
            }
        }
    }
    return p;
}

void LoadFile(benchmark::State& state, int file, Heap heap) {
    alloc::UseHeap(heap);
    const fs::path& path = FilePath(file);
    if (heap == Heap::Warm) xml::XmlTextDoc().LoadFrom(path.c_str());
    std::size_t text = 0;
    double perByte = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        alloc::ResetPeak();
        const std::size_t before = alloc::Current();
        xml::XmlTextDoc doc;
        if (!doc.LoadFrom(path.c_str())) state.SkipWithError("load failed");
        text = doc.DocText().size();
        perByte = static_cast<double>(alloc::Peak() - before) / static_cast<double>(fs::file_size(path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(path));
    state.counters["text_bytes"] = static_cast<double>(text);
    state.counters["peak_heap_per_file_byte"] = perByte;
}

// The ID file as the ID Setting page saves it, five repeaters filled.
const fs::path& IdFile() {
    static const fs::path p = [] {
        ids::RepeaterRecords records;
        for (int k = 0; k < 5; ++k) {
            const std::string n = std::to_string(k + 1);
            records[static_cast<std::size_t>(k)] = {"10000" + n, "20000" + n, "30000" + n,
                                                    "40000" + n, "######",    "######"};
        }
        xml::XmlTextDoc doc;
        ids::BuildIdDocument(doc, "A1B2C3", "A1B2C4", records);
        const fs::path f = Folder() / "ids.xml";
        doc.SaveTo(f.c_str());
        return f;
    }();
    return p;
}

void LoadIdFileEngine(benchmark::State& state) {
    alloc::UseHeap(Heap::Warm);
    std::size_t ids = 0;
    for (auto _ : state) {
        xml::XmlTextDoc doc;
        doc.LoadFrom(IdFile().c_str());
        std::string mcu, a, b;
        ids::RepeaterRecords records;
        ids::WalkIdDocument(doc, {&mcu, &a, &b, &records});
        ids = 3;
        for (const auto& r : records) ids += r.size();
        benchmark::DoNotOptimize(ids);
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(IdFile()));
    state.counters["ids"] = static_cast<double>(ids);
}

// The same walk on pugixml: the gateway's three IDs, six IDs per repeater
// element, each read into a string.
void LoadIdFilePugixml(benchmark::State& state) {
    alloc::UseHeap(Heap::Warm);
    std::size_t ids = 0;
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_file(IdFile().c_str());
        std::string mcu, a, b;
        ids::RepeaterRecords records;
        const pugi::xml_node root = doc.document_element();
        const pugi::xml_node gateway = root.first_child();
        mcu = gateway.child("GM").child_value();
        a = gateway.child("G2A").child_value();
        b = gateway.child("G2B").child_value();
        const pugi::xml_node repeater = root.child("Repeater");
        for (std::size_t k = 0; k < 6; ++k) {
            const char* const name = ids::kRepeaterElements[k];
            for (pugi::xml_node r = repeater.child(name); r; r = r.next_sibling(name)) {
                records[k].reserve(records[k].size() + ids::kModuleElements.size());
                for (const char* module : ids::kModuleElements) records[k].push_back(r.child(module).child_value());
            }
        }
        ids = 3;
        for (const auto& r : records) ids += r.size();
        benchmark::DoNotOptimize(ids);
    }
    state.counters["ids"] = static_cast<double>(ids);
}

void RegisterAll() {
    benchmark::RegisterBenchmark("load_walk/id_file/warm/engine", LoadIdFileEngine)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("load_walk/id_file/warm/pugixml", LoadIdFilePugixml)->Unit(benchmark::kMicrosecond);
    for (const Heap heap : {Heap::Warm, Heap::Fresh}) {
        for (int f = 0; f < kFileCount; ++f) {
            const std::string name = std::string("load/") + kFileNames[f] + "/" + alloc::HeapName(heap) + "/engine";
            benchmark::RegisterBenchmark(name.c_str(), [f, heap](benchmark::State& s) {
                LoadFile(s, f, heap);
            })->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    textcodec::SetSystemCodePage(949);
    pugi::set_memory_management_functions(alloc::Allocate, alloc::Free);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Folder());
    return 0;
}
