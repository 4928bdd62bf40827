// Import of a long word list: 200,000 names in 50 groups, then the used-name filter over a
// full entry table, as the import menu item runs them. The line-by-line AddPair loop is the
// way the import went before, for comparison.
#include <benchmark/benchmark.h>

#include <string>

#include "core/kstr.h"
#include "generator/wordlists.h"
#include "storage/kiddata.h"
#include "storage/kini.h"
#include "tests/unit/fake_wordbox.h"

namespace {

class BenchHost : public KWordListHost {
public:
    KIdTable table;
    void ShowMessage(const std::u16string&) override {}
    void ShowWarning(const std::u16string&) override {}
    bool AskYesNo(const std::u16string&) override { return false; }
    const KIdTable* Entries() override { return &table; }
};

constexpr int kNames = 200000;

void FillImport(KIni& doc) {
    // One line in twenty repeats an earlier name.
    for (int i = 0; i < kNames; ++i) {
        const int n = i % 20 == 19 ? i - 7 : i;
        doc.AppendLine(u"grp" + kstr::Decimal(n % 50) + u"=name" + kstr::Decimal(n));
    }
}

void FillEntries(KIdTable& table) {
    for (int n = 0; n < 1000; ++n) {
        table[n].InUse = 1;
        table[n].Title = u"t" + kstr::Decimal(n);
        table[n].Password = u"grp" + kstr::Decimal(n % 50) + u"name" + kstr::Decimal(n * 37) + u"#";
    }
}

void BM_ImportNames(benchmark::State& state) {
    KIni doc;
    FillImport(doc);
    for (auto _ : state) {
        state.PauseTiming();
        FakeBox g, n, s, d;
        BenchHost host;
        FillEntries(host.table);
        KWordListData data;
        KWordLists lists(data, g, n, s, d, host);
        state.ResumeTiming();
        lists.ImportLines(doc);
        lists.FillGroupBox();
        lists.RebuildDisplayLists(1);
        if (lists.ImportCount != kNames - kNames / 20) state.SkipWithError("wrong count");
    }
}

void BM_ImportNamesLineByLine(benchmark::State& state) {
    KIni doc;
    FillImport(doc);
    for (auto _ : state) {
        FakeBox g, n, s, d;
        BenchHost host;
        KWordListData data;
        KWordLists lists(data, g, n, s, d, host);
        for (int i = 0; i < doc.LineCount(); ++i) {
            const KImportLine line = ParseImportLine(doc.Line(i));
            if (line.taken) lists.AddPair(line.group, line.name);
        }
        benchmark::DoNotOptimize(lists.ImportCount);
    }
}

}  // namespace

BENCHMARK(BM_ImportNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportNamesLineByLine)->Iterations(1)->Unit(benchmark::kMillisecond);
