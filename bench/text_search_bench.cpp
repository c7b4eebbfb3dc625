// The search over a long document's text in memory: the libtasn1 manual's
// 36 pages as the text tool reports them, read ten times over (360 pages,
// about 128,000 words), searched for a word that is often there, one that
// is never there, a phrase across words and a query that starts with a
// letter outside ASCII. Also the reading of the manual's report. Without the
// tool or the manual, the benchmarks say so and are skipped.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "document/text_search.h"
#include "pdf/text_report.h"

namespace {

using namespace orva;

constexpr int kCopies = 10;

const std::string& manualReport() {
    static const std::string report = [] {
        std::string out;
        std::FILE* tool = popen("pdftotext -bbox-layout -enc UTF-8 /usr/share/doc/libtasn1-doc/libtasn1.pdf - 2>/dev/null", "r");
        if (tool == nullptr) return out;
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, tool)) > 0;) out.append(buffer, n);
        pclose(tool);
        return out;
    }();
    return report;
}

struct Document {
    Allocator allocator;
    std::vector<PageText> pages;
    std::size_t words = 0;
    std::size_t bytes = 0;
};

Document& document() {
    static Document d;
    static const bool loaded = [] {
        for (int copy = 0; copy < kCopies; ++copy) {
            auto pages = parseTextReport(d.allocator, manualReport(), 150.0f / 72);
            if (!pages) return false;
            for (PageText& page : *pages) {
                d.words += page.words.size();
                d.bytes += page.text.size();
                d.pages.push_back(std::move(page));
            }
        }
        return true;
    }();
    (void)loaded;
    return d;
}

void Search(benchmark::State& state, const char* query) {
    Document& d = document();
    if (d.pages.empty()) {
        state.SkipWithError("no pdftotext or no libtasn1 manual (/usr/share/doc/libtasn1-doc)");
        return;
    }
    Allocator allocator;
    auto prepared = prepareQuery(allocator, query, false);
    std::size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const PageText& page : d.pages) {
            auto hits = findOnPage(allocator, page, *prepared);
            if (!hits) state.SkipWithError("search failed");
            found += hits->size();
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["pages"] = static_cast<double>(d.pages.size());
    state.counters["words"] = static_cast<double>(d.words);
    state.counters["text_MB"] = static_cast<double>(d.bytes) / 1e6;
    state.counters["hits"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(Search, frequent_word, "structure")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, absent_word, "zebra")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, phrase, "the ASN.1 structure")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, greek_query, "\u03a3\u03bf\u03c6\u03af\u03b1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Search, one_letter, "e")->Unit(benchmark::kMillisecond);

void ReadManualReport(benchmark::State& state) {
    if (manualReport().empty()) {
        state.SkipWithError("no pdftotext or no libtasn1 manual (/usr/share/doc/libtasn1-doc)");
        return;
    }
    Allocator allocator;
    for (auto _ : state) {
        auto pages = parseTextReport(allocator, manualReport(), 150.0f / 72);
        if (!pages) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(pages->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * manualReport().size()));
}
BENCHMARK(ReadManualReport)->Unit(benchmark::kMillisecond);

}  // namespace
