// Loading files end to end (read, detect, convert into code page 949, parse)
// with the XML engine, and the small ID file against pugixml in the same run.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Generate.h"
#include "textcodec/CodePage.h"
#include "xml/Encodings.h"
#include "xml/XmlTextDoc.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Folder() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / "veskora-file-bench";
        fs::create_directories(d);
        return d;
    }();
    return dir;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A 64 MB document with Korean text, stored as UTF-8 and as UTF-16LE with a mark.
const std::string& Utf8Doc() {
    static const std::string doc = [] {
        std::string s = gen::SmallElements(64u << 20);
        // Hangul in every thousandth line, so the conversion has real work.
        const std::string hangul = "\xEA\xB2\x8C\xEC\x9D\xB4\xED\x8A\xB8\xEC\x9B\xA8\xEC\x9D\xB4";  // 게이트웨이
        for (std::size_t at = 0; (at = s.find("<sf>7</sf>", at)) != std::string::npos; at += 10000) {
            s.replace(at + 4, 1, hangul);
        }
        return s;
    }();
    return doc;
}

const fs::path& Utf8File() {
    static const fs::path p = [] {
        const fs::path f = Folder() / "big-utf8.xml";
        Write(f, Utf8Doc());
        return f;
    }();
    return p;
}

const fs::path& Utf16File() {
    static const fs::path p = [] {
        const fs::path f = Folder() / "big-utf16le.xml";
        Write(f, "\xFF\xFE" + xml::ConvertText("UTF-8", "UTF-16", Utf8Doc()));
        return f;
    }();
    return p;
}

void LoadBig(benchmark::State& state, const fs::path& file, const char* encoding) {
    const std::string raw = [&] {
        std::string s(fs::file_size(file), '\0');
        if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
            s.resize(std::fread(s.data(), 1, s.size(), f));
            std::fclose(f);
        }
        return s.substr(encoding[4] == '1' ? 2 : 0);
    }();
    double convertSeconds = 0;
    double totalSeconds = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        xml::XmlTextDoc doc;
        const bool ok = doc.LoadFrom(file.c_str());
        const auto t1 = std::chrono::steady_clock::now();
        // The conversion alone, on the same bytes.
        const std::string converted = xml::ConvertText(encoding, "", raw);
        const auto t2 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(converted.data());
        if (!ok) state.SkipWithError("load failed");
        totalSeconds += std::chrono::duration<double>(t1 - t0).count();
        convertSeconds += std::chrono::duration<double>(t2 - t1).count();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file)));
    state.counters["conversion_share"] = convertSeconds / totalSeconds;
}

void LoadUtf8File(benchmark::State& state) { LoadBig(state, Utf8File(), "UTF-8"); }
void LoadUtf16File(benchmark::State& state) { LoadBig(state, Utf16File(), "UTF-16"); }

// An ID file as the ID Setting page writes it, two repeaters filled: about 600 bytes.
const fs::path& IdFile() {
    static const fs::path p = [] {
        std::string s =
            "<LORAID>\r\n<Gatewy>\r\n<GM>FFFFFF</GM>\r\n<G2A>A1B2C3</G2A>\r\n<G2B>A1B2C4</G2B>\r\n"
            "</Gatewy>\r\n<Repeater>\r\n";
        for (int k = 1; k <= 6; ++k) {
            const std::string n = std::to_string(k);
            s += "<R" + n + ">\r\n<RM>10000" + n + "</RM>\r\n<R2A>20000" + n + "</R2A>\r\n<R2B>30000" + n +
                 "</R2B>\r\n<R91>40000" + n + "</R91>\r\n<R92>######</R92>\r\n<R93>######</R93>\r\n</R" + n + ">\r\n";
            if (s.size() > 560) break;
        }
        s += "</Repeater>\r\n</LORAID>\r\n";
        const fs::path f = Folder() / "ids.xml";
        Write(f, s);
        return f;
    }();
    return p;
}

void LoadIdFileEngine(benchmark::State& state) {
    std::size_t texts = 0;
    for (auto _ : state) {
        xml::XmlTextDoc doc;
        doc.LoadFrom(IdFile().c_str());
        texts = 0;
        for (std::uint32_t e = 1; e < static_cast<std::uint32_t>(doc.NextFreeIndex()); ++e) {
            texts += doc.ElementText(e).size();
        }
        benchmark::DoNotOptimize(texts);
    }
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(IdFile()));
    state.counters["text_bytes"] = static_cast<double>(texts);
}

void WalkPugi(const pugi::xml_node& node, std::size_t& texts) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() == pugi::node_element) {
            texts += std::strlen(c.child_value());
            WalkPugi(c, texts);
        }
    }
}

void LoadIdFilePugixml(benchmark::State& state) {
    std::size_t texts = 0;
    for (auto _ : state) {
        pugi::xml_document doc;
        doc.load_file(IdFile().c_str());
        texts = 0;
        WalkPugi(doc, texts);
        benchmark::DoNotOptimize(texts);
    }
    state.counters["text_bytes"] = static_cast<double>(texts);
}

}  // namespace

BENCHMARK(LoadUtf8File)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(LoadUtf16File)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(LoadIdFileEngine)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadIdFilePugixml)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    textcodec::SetSystemCodePage(949);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Folder());
    return 0;
}
