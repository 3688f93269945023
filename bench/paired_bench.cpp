// The engine and pugixml parsing one document in alternating blocks, warm
// heap: each block pair gives one ratio, and the load from the machine's
// other work, which drifts over seconds, falls on both halves of a pair
// alike. For the rows where the two are close, a run of xml_bench can read
// either side of 1 from noise alone; the spread of these ratios says how
// far apart the two really are.
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "AllocCounter.h"
#include "Generate.h"
#include "IdFileText.h"
#include "xml/XmlTextDoc.h"

namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

template <class Parse>
double Block(int iterations, const Parse& parse) {
    const double start = CpuSeconds();
    for (int i = 0; i < iterations; ++i) parse();
    return CpuSeconds() - start;
}

void Row(const char* name, const std::string& doc, int pairs) {
    bool ok = true;
    const auto engine = [&] {
        xml::XmlTextDoc x;
        ok &= x.SetDocText(doc);
    };
    const auto pugixml = [&] {
        pugi::xml_document x;
        ok &= static_cast<bool>(x.load_buffer(doc.data(), doc.size()));
    };
    engine();  // the heap's first pages, for both
    pugixml();
    // Blocks of about 20 ms, so that the clock's resolution and the loop do not count.
    const double once = std::max(Block(1, engine), 1e-7);
    const int iterations = std::max(1, static_cast<int>(0.02 / once));
    std::vector<double> ratios;
    for (int k = 0; k < pairs; ++k) {
        // Which one goes first alternates, so that neither always follows the other's memory traffic.
        const double e1 = k % 2 ? 0 : Block(iterations, engine);
        const double p = Block(iterations, pugixml);
        const double e = k % 2 ? Block(iterations, engine) : e1;
        ratios.push_back(p / e);
    }
    std::sort(ratios.begin(), ratios.end());
    const auto at = [&](double q) { return ratios[static_cast<std::size_t>(q * static_cast<double>(pairs - 1))]; };
    std::printf("| %s | %d × %d | %.2f | %.2f – %.2f | %.2f – %.2f |%s\n", name, pairs, iterations, at(0.5), at(0.25),
                at(0.75), ratios.front(), ratios.back(), ok ? "" : " (a parse failed)");
}

}  // namespace

int main() {
    alloc::UseHeap(alloc::Heap::Warm);
    pugi::set_memory_management_functions(alloc::Allocate, alloc::Free);
    std::printf(
        "| parse (warm) | pairs × parses a block | median ratio | quartiles | range |\n|---|---|---|---|---|\n");
    Row("nested_10000", gen::Nested(10000), 200);
    Row("nested_100000", gen::Nested(100000), 200);
    Row("id_file", gen::IdFileText(), 200);
    Row("attribute_heavy", gen::AttributeHeavy(64u << 20), 40);
    return 0;
}
