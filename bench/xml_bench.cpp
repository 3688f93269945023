// The XML engine measured side by side with pugixml and tinyxml2 on the same
// generated documents, in the same run.
#include <benchmark/benchmark.h>
#include <tinyxml2.h>
#include <pugixml.hpp>

#include <sstream>

#include "AllocCounter.h"
#include "Generate.h"
#include "xml/XmlTextDoc.h"

namespace {

constexpr std::size_t kDocBytes = 64u << 20;

const std::string& Doc(int kind) {
    static const std::string small = gen::SmallElements(kDocBytes);
    static const std::string attrs = gen::AttributeHeavy(kDocBytes);
    static const std::string text = gen::TextHeavy(kDocBytes);
    return kind == 0 ? small : kind == 1 ? attrs : text;
}

const char* const kKindNames[] = {"small_elements_crlf", "attribute_heavy", "text_heavy_entities"};

void ParseEngine(benchmark::State& state) {
    const std::string& doc = Doc(static_cast<int>(state.range(0)));
    state.SetLabel(kKindNames[state.range(0)]);
    std::size_t elements = 0;
    double peakPerByte = 0;
    for (auto _ : state) {
        alloc::ResetPeak();
        const std::size_t before = alloc::Current();
        xml::XmlTextDoc x;
        const bool ok = x.SetDocText(doc);
        benchmark::DoNotOptimize(ok);
        elements = static_cast<std::size_t>(x.NextFreeIndex() - 1);
        peakPerByte = static_cast<double>(alloc::Peak() - before) / static_cast<double>(doc.size());
        if (!ok) state.SkipWithError("document not well formed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["elements"] = static_cast<double>(elements);
    state.counters["index_bytes_per_element"] = static_cast<double>(sizeof(xml::ElementEntry));
    state.counters["peak_heap_per_input_byte"] = peakPerByte;
}

void ParsePugixml(benchmark::State& state) {
    const std::string& doc = Doc(static_cast<int>(state.range(0)));
    state.SetLabel(kKindNames[state.range(0)]);
    double peakPerByte = 0;
    for (auto _ : state) {
        alloc::ResetPeak();
        const std::size_t before = alloc::Current();
        pugi::xml_document x;
        const pugi::xml_parse_result r = x.load_buffer(doc.data(), doc.size());
        benchmark::DoNotOptimize(r);
        peakPerByte = static_cast<double>(alloc::Peak() - before) / static_cast<double>(doc.size());
        if (!r) state.SkipWithError("pugixml failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
    state.counters["peak_heap_per_input_byte"] = peakPerByte;
}

void ParseTinyxml2(benchmark::State& state) {
    const std::string& doc = Doc(static_cast<int>(state.range(0)));
    state.SetLabel(kKindNames[state.range(0)]);
    for (auto _ : state) {
        tinyxml2::XMLDocument x;
        const auto r = x.Parse(doc.data(), doc.size());
        benchmark::DoNotOptimize(r);
        if (r != tinyxml2::XML_SUCCESS) state.SkipWithError("tinyxml2 failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

// N start tags left open, then N end tags that close none of them: the
// parse must stay linear in N (it was quadratic).
void ParseLoneEndTags(benchmark::State& state) {
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

void BuildEngine(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
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

void BuildPugixml(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
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

void BuildTinyxml2(benchmark::State& state) {
    for (auto _ : state) {
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

}  // namespace

BENCHMARK(ParseEngine)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ParsePugixml)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ParseTinyxml2)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(ParseLoneEndTags)->RangeMultiplier(4)->Range(1 << 14, 1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildEngine)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BuildPugixml)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BuildTinyxml2)->Unit(benchmark::kMillisecond)->MinTime(2);

int main(int argc, char** argv) {
    // pugixml allocates through its own hooks: count those too.
    pugi::set_memory_management_functions(alloc::Allocate, alloc::Free);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
