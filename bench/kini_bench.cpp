// Cost of the data file at its full size: KIni Save/Load of about 10 MB and the document's
// Load/Save, at 250/500/1000 entries to show that it grows linearly.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/document.h"
#include "core/kstr.h"
#include "storage/kini.h"
#include "storage/kplatform.h"

namespace {

// glibc hands buffers of several MB back to the kernel after each run and takes fresh,
// zeroed pages for the next, which swamps the figures with page faults on a busy machine.
// Keeping them in the heap measures the work of the program itself.
const int kHeapKept = [] {
    mallopt(M_MMAP_THRESHOLD, 512 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    return 0;
}();

std::u16string Filler(const char16_t* head, int n, int units) {
    std::u16string s(head);
    s += kstr::Decimal(n);
    s += u' ';
    while (static_cast<int>(s.size()) < units) s += u"パスワードxyz=\\ ";
    s.resize(static_cast<std::size_t>(units));
    return s;
}

// Long fields: about 1250 plain units per entry line, so 1000 entries make ~10 MB on disk.
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

std::u16string BenchPath(const char* name) {
    const auto p = std::filesystem::temp_directory_path() / name;
    const auto u8 = p.u8string();
    return kplat::FromUtf8(std::string(u8.begin(), u8.end()));
}

KDataPaths PathsAt(const std::u16string& path) { return {path, path + u".si"}; }

void BM_SaveMapping(benchmark::State& state) {
    // The document's save up to the point of writing: settings and 5 WritePart calls per entry.
    KIdTable table;
    FillTable(table, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        KIni doc;
        for (int n = 0; n < table.Size(); ++n) {
            if (!table[n].InUse) continue;
            std::u16string key(u"I");
            key += kstr::Decimal(n);
            const KVar k(key);
            for (int p = 1; p <= 5; ++p) doc.WritePart(p, KVar(table[n].Text(p)), k);
        }
        benchmark::DoNotOptimize(doc.LineCount());
    }
    state.SetComplexityN(state.range(0));
}

void BM_KIniSave(benchmark::State& state) {
    KIdTable table;
    FillTable(table, static_cast<int>(state.range(0)));
    const KDataPaths e = PathsAt(BenchPath("keyra-bench-save.kr"));
    KIni base;
    for (int n = 0; n < state.range(0); ++n) {
        std::u16string key(u"I");
        key += kstr::Decimal(n);
        for (int p = 1; p <= 5; ++p) base.WritePart(p, KVar(table[n].Text(p)), KVar(key));
    }
    std::vector<std::u16string> lines;
    for (int i = 0; i < base.LineCount(); ++i) lines.push_back(base.Line(i));
    for (auto _ : state) {
        state.PauseTiming();
        KIni doc;
        for (const auto& l : lines) doc.AppendLine(l);
        state.ResumeTiming();
        doc.Save(e.Data);
    }
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(
                                    std::filesystem::temp_directory_path() / "keyra-bench-save.kr")) /
                                1e6;
    state.SetComplexityN(state.range(0));
}

void BM_KIniLoad(benchmark::State& state) {
    KDocument source;
    FillTable(source.Entries(), static_cast<int>(state.range(0)));
    const KDataPaths e = PathsAt(BenchPath("keyra-bench-load.kr"));
    source.Save(e);
    for (auto _ : state) {
        KIni doc;
        doc.Load(e.Data);
        benchmark::DoNotOptimize(doc.LineCount());
    }
    state.SetComplexityN(state.range(0));
}

void BM_Save(benchmark::State& state) {
    KDocument doc;
    FillTable(doc.Entries(), static_cast<int>(state.range(0)));
    const KDataPaths e = PathsAt(BenchPath("keyra-bench-saveall.kr"));
    for (auto _ : state) doc.Save(e);
    state.SetComplexityN(state.range(0));
}

void BM_Load(benchmark::State& state) {
    KDocument source;
    FillTable(source.Entries(), static_cast<int>(state.range(0)));
    const KDataPaths e = PathsAt(BenchPath("keyra-bench-loadall.kr"));
    source.Save(e);
    for (auto _ : state) {
        KDocument other;
        benchmark::DoNotOptimize(other.Load(e).Status);
    }
    state.SetComplexityN(state.range(0));
}

// The part of a save the window waits for: the copy the worker writes.
void BM_SaveCopy(benchmark::State& state) {
    KDocument doc;
    FillTable(doc.Entries(), static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(doc.Image().Changes);
    state.SetComplexityN(state.range(0));
}

// Loads the file that `fill`'s table saves to `name`. The file is written by a child process,
// so that the peak memory figure is that of the load alone; `whole` checks what was read.
template <class Fill, class Whole>
void LoadWrittenFile(benchmark::State& state, const char* name, Fill fill, Whole whole) {
    const std::u16string path = BenchPath(name);
    const pid_t child = fork();
    if (child == 0) {
        KDocument doc;
        fill(doc.Entries());
        doc.Save(PathsAt(path));
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    for (auto _ : state) {
        KDocument other;
        benchmark::DoNotOptimize(other.Load(PathsAt(path)).Status);
        if (!whole(other.Entries())) state.SkipWithError("not read back whole");
    }
    const auto file = std::filesystem::temp_directory_path() / name;
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size(file)) / 1e6;
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    state.counters["peak_MB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
    std::filesystem::remove(file);
    std::filesystem::remove(file.string() + ".bak");
}

void BM_LoadHuge(benchmark::State& state) {
    // A 200 MB data file: one entry with an enormous memo, read and cut to what the memo box holds.
    LoadWrittenFile(
        state, "keyra-bench-huge.kr",
        [](KIdTable& table) {
            table[0].InUse = 1;
            table[0].Title = u"huge";
            table[0].Memo.assign(6250000, u'm');
        },
        [](const KIdTable& t) { return t[0].Memo.size() == static_cast<std::size_t>(KIdData::kMemoMax); });
}

void BM_LoadFullest(benchmark::State& state) {
    // The largest file the typing limits allow: every slot with each text at its limit (about 1.3 GB).
    LoadWrittenFile(
        state, "keyra-bench-fullest.kr",
        [](KIdTable& table) {
            for (int n = 0; n < KIdTable::kSlots; ++n) {
                KIdData& d = table[n];
                d.InUse = 1;
                for (int k = 1; k <= 4; ++k) d.Text(k) = Filler(u"f", n, KIdData::kFieldMax);
                d.Memo = Filler(u"memo", n, KIdData::kMemoMax);
            }
        },
        [](const KIdTable& t) { return t[1000].Memo.size() == static_cast<std::size_t>(KIdData::kMemoMax); });
}

}  // namespace

BENCHMARK(BM_SaveMapping)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_KIniSave)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_KIniLoad)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_Save)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_SaveCopy)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_LoadHuge)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadFullest)->Iterations(1)->Unit(benchmark::kMillisecond);
