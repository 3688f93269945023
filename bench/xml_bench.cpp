// The XML engine measured side by side with pugixml and tinyxml2 on the same
// generated documents, in the same run, with the heap warm and fresh.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "AllocCounter.h"
#include "Generate.h"
#include "IdFileText.h"
#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

namespace {

using alloc::Heap;

constexpr std::size_t kDocBytes = 64u << 20;

enum Corpus { kSmall, kAttributes, kText, kNested10k, kNested100k, kIdFile, kCorpusCount };
const char* const kCorpusNames[] = {"small_elements_crlf", "attribute_heavy", "text_heavy_entities",
                                    "nested_10000",        "nested_100000",   "id_file"};

const std::string& Doc(int corpus) {
    static std::string docs[kCorpusCount];
    std::string& d = docs[corpus];
    if (d.empty()) {
        switch (corpus) {
            case kSmall: d = gen::SmallElements(kDocBytes); break;
            case kAttributes: d = gen::AttributeHeavy(kDocBytes); break;
            case kText: d = gen::TextHeavy(kDocBytes); break;
            case kNested10k: d = gen::Nested(10000); break;
            case kNested100k: d = gen::Nested(100000); break;
            default: d = gen::IdFileText(); break;
        }
    }
    return d;
}

// Counters every parse reports: its peak heap per input byte.
struct PeakMeter {
    std::size_t before = 0;
    void Start() {
        alloc::ResetPeak();
        before = alloc::Current();
    }
    double PerByte(std::size_t bytes) const {
        return static_cast<double>(alloc::Peak() - before) / static_cast<double>(bytes);
    }
};

void Finish(benchmark::State& state, const std::string& doc, double peakPerByte) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["peak_heap_per_input_byte"] = peakPerByte;
    state.counters["input_bytes"] = static_cast<double>(doc.size());
}

void ParseEngine(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) xml::XmlTextDoc(doc).DocText();  // the heap's first pages
    PeakMeter peak;
    double perByte = 0;
    std::size_t elements = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        peak.Start();
        xml::XmlTextDoc x;
        const bool ok = x.SetDocText(doc);
        benchmark::DoNotOptimize(ok);
        elements = static_cast<std::size_t>(x.NextFreeIndex() - 1);
        perByte = peak.PerByte(doc.size());
        if (!ok) state.SkipWithError("document not well formed");
    }
    Finish(state, doc, perByte);
    state.counters["elements"] = static_cast<double>(elements);
}

void ParsePugixml(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) pugi::xml_document().load_buffer(doc.data(), doc.size());
    PeakMeter peak;
    double perByte = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        peak.Start();
        pugi::xml_document x;
        const pugi::xml_parse_result r = x.load_buffer(doc.data(), doc.size());
        benchmark::DoNotOptimize(r);
        perByte = peak.PerByte(doc.size());
        if (!r) state.SkipWithError("pugixml failed");
    }
    Finish(state, doc, perByte);
}

void ParseTinyxml2(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    PeakMeter peak;
    double perByte = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        peak.Start();
        tinyxml2::XMLDocument x;
        const auto r = x.Parse(doc.data(), doc.size());
        benchmark::DoNotOptimize(r);
        perByte = peak.PerByte(doc.size());
        if (r != tinyxml2::XML_SUCCESS) state.SkipWithError("tinyxml2 failed");
    }
    Finish(state, doc, perByte);
}

// Parse, then read the text of every element.
void ParseReadEngine(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) xml::XmlTextDoc(doc).DocText();
    std::size_t textBytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        xml::XmlTextDoc x;
        x.SetDocText(doc);
        textBytes = 0;
        const auto count = static_cast<std::uint32_t>(x.NextFreeIndex());
        for (std::uint32_t e = 1; e < count; ++e) textBytes += x.ElementText(e).size();
        benchmark::DoNotOptimize(textBytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["text_bytes"] = static_cast<double>(textBytes);
}

// Every element's text, walking the tree without recursion (the nested corpora
// are deeper than a call stack).
std::size_t WalkPugixml(const pugi::xml_node& root) {
    std::size_t textBytes = 0;
    pugi::xml_node n = root.first_child();
    while (n) {
        if (n.type() == pugi::node_element) textBytes += std::strlen(n.child_value());
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) n = n.parent() == root ? pugi::xml_node() : n.parent();
        if (n) n = n.next_sibling();
    }
    return textBytes;
}

void ParseReadPugixml(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) pugi::xml_document().load_buffer(doc.data(), doc.size());
    std::size_t textBytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        pugi::xml_document x;
        x.load_buffer(doc.data(), doc.size());
        textBytes = WalkPugixml(x);
        benchmark::DoNotOptimize(textBytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["text_bytes"] = static_cast<double>(textBytes);
}

// Every element's name and text through the navigation calls the pages use:
// SeekChild over the main element's children, Descend into one that has
// children, Ascend when they run out (no recursion: the nested corpora are
// deeper than a call stack).
std::size_t WalkEngine(xml::XmlTextDoc& x) {
    if (!x.SeekMain()) return 0;
    std::size_t bytes = x.TagNameOf(x.MainPos()).size() + x.ElementText(x.MainPos()).size();
    for (;;) {
        if (x.SeekChild()) {
            bytes += x.TagNameOf(x.ChildPos()).size() + x.TextOfChild().size();
            if (x.Element(x.ChildPos()).firstChild) x.Descend();
        } else if (!x.Ascend()) {
            return bytes;
        }
    }
}

// pugixml's tree walk: every element's name and child_value.
std::size_t WalkNamesPugixml(const pugi::xml_node& root) {
    std::size_t bytes = 0;
    pugi::xml_node n = root.first_child();
    while (n) {
        if (n.type() == pugi::node_element) bytes += std::strlen(n.name()) + std::strlen(n.child_value());
        if (n.first_child()) {
            n = n.first_child();
            continue;
        }
        while (n && !n.next_sibling()) n = n.parent() == root ? pugi::xml_node() : n.parent();
        if (n) n = n.next_sibling();
    }
    return bytes;
}

// Parse, then walk every element reading its name and text, in code page cp.
void ParseWalkEngine(benchmark::State& state, int corpus, Heap heap, int cp) {
    const textcodec::ScopedSystemCodePage page(cp);
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) {
        xml::XmlTextDoc x(doc);
        WalkEngine(x);
    }
    std::size_t bytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        xml::XmlTextDoc x;
        x.SetDocText(doc);
        bytes = WalkEngine(x);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["text_bytes"] = static_cast<double>(bytes);
}

void ParseWalkPugixml(benchmark::State& state, int corpus, Heap heap) {
    alloc::UseHeap(heap);
    const std::string& doc = Doc(corpus);
    if (heap == Heap::Warm) pugi::xml_document().load_buffer(doc.data(), doc.size());
    std::size_t bytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        pugi::xml_document x;
        x.load_buffer(doc.data(), doc.size());
        bytes = WalkNamesPugixml(x);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["text_bytes"] = static_cast<double>(bytes);
}

// N start tags left open, then N end tags that close none of them: the
// parse must stay linear in N (it was quadratic).
void ParseLoneEndTags(benchmark::State& state) {
    alloc::UseHeap(Heap::Warm);
    const auto n = static_cast<std::size_t>(state.range(0));
    std::string doc;
    doc.reserve(7 * n);
    for (std::size_t i = 0; i < n; ++i) doc += "<a>";
    for (std::size_t i = 0; i < n; ++i) doc += "</b>";
    for (auto _ : state) {
        xml::XmlTextDoc x;
        benchmark::DoNotOptimize(x.SetDocText(doc));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

constexpr int kChildren = 100000;
constexpr int kGrandchildren = 10;

void BuildEngine(benchmark::State& state, Heap heap) {
    alloc::UseHeap(heap);
    std::size_t bytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        xml::XmlTextDoc x;
        x.PutMain("root");
        for (int c = 0; c < kChildren; ++c) {
            x.PutChild("child");
            x.Descend();
            for (int g = 0; g < kGrandchildren; ++g) x.PutChild("g", "value");
            x.Ascend();
        }
        const std::string text = x.DocText();
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["elements"] = 1 + kChildren * (1 + kGrandchildren);
    state.counters["text_bytes"] = static_cast<double>(bytes);
}

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
};

void BuildPugixml(benchmark::State& state, Heap heap) {
    alloc::UseHeap(heap);
    std::size_t bytes = 0;
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        pugi::xml_document x;
        pugi::xml_node root = x.append_child("root");
        for (int c = 0; c < kChildren; ++c) {
            pugi::xml_node child = root.append_child("child");
            for (int g = 0; g < kGrandchildren; ++g) child.append_child("g").text().set("value");
        }
        StringWriter w;
        x.save(w, "", pugi::format_raw);
        bytes = w.out.size();
        benchmark::DoNotOptimize(w.out.data());
    }
    state.counters["text_bytes"] = static_cast<double>(bytes);
}

void BuildTinyxml2(benchmark::State& state, Heap heap) {
    alloc::UseHeap(heap);
    for (auto _ : state) {
        alloc::RenewPages(state, heap);
        tinyxml2::XMLDocument x;
        auto* root = x.NewElement("root");
        x.InsertEndChild(root);
        for (int c = 0; c < kChildren; ++c) {
            auto* child = root->InsertNewChildElement("child");
            for (int g = 0; g < kGrandchildren; ++g) child->InsertNewChildElement("g")->SetText("value");
        }
        tinyxml2::XMLPrinter printer(nullptr, true);
        x.Print(&printer);
        benchmark::DoNotOptimize(printer.CStr());
    }
}

// Names read "<work>/<corpus>/<heap>/<parser>", so that a row's peers sit together.
void Register(const std::string& name, std::function<void(benchmark::State&)> fn, bool big) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), std::move(fn));
    b->Unit(big ? benchmark::kMillisecond : benchmark::kMicrosecond);
}

void RegisterAll() {
    for (const Heap heap : {Heap::Warm, Heap::Fresh}) {
        const std::string h = alloc::HeapName(heap);
        for (int c = 0; c < kCorpusCount; ++c) {
            if (c == kIdFile && heap == Heap::Fresh) continue;  // 747 bytes live in the heap's first pages
            const std::string row = std::string("parse/") + kCorpusNames[c] + "/" + h + "/";
            const bool big = c <= kText;
            Register(
                row + "engine", [c, heap](benchmark::State& s) { ParseEngine(s, c, heap); }, big);
            Register(
                row + "pugixml", [c, heap](benchmark::State& s) { ParsePugixml(s, c, heap); }, big);
            if (big && heap == Heap::Warm) {
                Register(
                    row + "tinyxml2", [c, heap](benchmark::State& s) { ParseTinyxml2(s, c, heap); }, big);
            }
        }
        for (const int c : {kSmall, kText}) {
            const std::string row = std::string("parse_read_texts/") + kCorpusNames[c] + "/" + h + "/";
            Register(
                row + "engine", [c, heap](benchmark::State& s) { ParseReadEngine(s, c, heap); }, true);
            Register(
                row + "pugixml", [c, heap](benchmark::State& s) { ParseReadPugixml(s, c, heap); }, true);
        }
        for (const int c : {kSmall, kText}) {
            for (const int cp : {textcodec::kCpKorean, textcodec::kCpUtf8}) {
                const std::string row =
                    std::string("parse_walk_texts/") + kCorpusNames[c] + "_" + std::to_string(cp) + "/" + h + "/";
                Register(
                    row + "engine", [c, heap, cp](benchmark::State& s) { ParseWalkEngine(s, c, heap, cp); }, true);
                Register(
                    row + "pugixml", [c, heap](benchmark::State& s) { ParseWalkPugixml(s, c, heap); }, true);
            }
        }
        const std::string build = "build/1.1M_elements/" + h + "/";
        Register(
            build + "engine", [heap](benchmark::State& s) { BuildEngine(s, heap); }, true);
        Register(
            build + "pugixml", [heap](benchmark::State& s) { BuildPugixml(s, heap); }, true);
        if (heap == Heap::Warm)
            Register(
                build + "tinyxml2", [heap](benchmark::State& s) { BuildTinyxml2(s, heap); }, true);
    }
    benchmark::RegisterBenchmark("lone_end_tags/engine", ParseLoneEndTags)
        ->RangeMultiplier(4)
        ->Range(1 << 14, 1 << 20)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    // pugixml allocates through its own hooks: count those too.
    pugi::set_memory_management_functions(alloc::Allocate, alloc::Free);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
