// Cost of the CSV import and export at the size of a full table: 1000 entries with long fields
// (as in kini_bench.cpp), at 250/500/1000 entries to show that it grows linearly.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/csvfile.h"
#include "core/kstr.h"

namespace {

std::u16string Filler(const char16_t* head, int n, int units) {
    std::u16string s(head);
    s += kstr::Decimal(n);
    s += u' ';
    while (static_cast<int>(s.size()) < units) s += u"パスワード,xyz=\"\\ ";
    s.resize(static_cast<std::size_t>(units));
    return s;
}

// The fields of kini_bench.cpp's table, with a comma and a quote to be quoted in each.
void FillTable(KIdTable& table, int entries) {
    for (int n = 0; n < entries; ++n) {
        KIdData& d = table[n];
        d.InUse = 1;
        d.Title = Filler(u"title", n, 30);
        d.Id = Filler(u"id", n, 30);
        d.Password = Filler(u"pw", n, 40);
        d.Url = Filler(u"https://example.test/", n, 60);
        d.Memo = Filler(u"memo\r\n", n, 150);
    }
}

void BM_CsvExport(benchmark::State& state) {
    KIdTable table;
    FillTable(table, static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::vector<std::uint8_t> file = kcsv::Write(table);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.SetComplexityN(state.range(0));
}

// Reading the export back, placing the rows and putting them into an empty table.
void BM_CsvImport(benchmark::State& state) {
    KIdTable table;
    FillTable(table, static_cast<int>(state.range(0)));
    const std::vector<std::uint8_t> file = kcsv::Write(table);
    for (auto _ : state) {
        kcsv::ReadResult r = kcsv::Read(file.data(), file.size());
        KIdTable fresh;
        const kcsv::Plan plan = kcsv::PlanImport(fresh, 1, r.entries);
        kcsv::ApplyImport(fresh, plan, r.entries);
        if (plan.added != state.range(0)) state.SkipWithError("not read back whole");
    }
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    state.SetComplexityN(state.range(0));
}

}  // namespace

BENCHMARK(BM_CsvExport)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_CsvImport)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
