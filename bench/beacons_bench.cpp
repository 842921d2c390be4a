// Loading a 100,000-record CSV beacon file, beside reading the same file through the tokenizer
// alone: once with the loader's own token calls and no records, once byte by byte.
// Target: the loader within 2x of the bare token pass.
//
// The list of 100,000 records takes some 37 MB. The allocator hands a block that large out as
// fresh pages from the kernel and gives it back when the list is freed, so every load of the
// first benchmark also pays one page fault per 4 KiB it fills, which on a virtual machine
// costs more than the loader's own work. The second benchmark keeps freed memory in the
// process (as a long-running program's heap does) to show the loader's own cost.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/cp1251.h"
#include "base/fileio.h"
#include "base/velparser.h"
#include "files/beaconfile.h"
#include "plan/rsbnlist.h"

namespace {

using namespace kestrun;

constexpr int kRecords = 100000;

struct TBeaconFile {
    std::string Path;
    std::size_t Bytes = 0;
};

// "12","Станция 12","С12","","N","55","58.35","E","037","24.68" CR LF, 100,000 times; written
// once per run to the temporary folder.
const TBeaconFile& BeaconFile() {
    static const TBeaconFile file = [] {
        const std::string station = Cp("Станция "), ident = Cp("С");
        std::string text;
        text.reserve(kRecords * 80);
        char minutes[32];
        for (int i = 0; i < kRecords; ++i) {
            const std::string n = std::to_string(i);
            std::snprintf(minutes, sizeof minutes, "\"%02d.%02d\",\"%s\",\"%03d\",\"%02d.%02d\"",
                          i % 60, i % 100, i % 7 == 0 ? "W" : "E", i % 180, (i / 7) % 60,
                          (i / 3) % 100);
            text += "\"" + n + "\",\"" + station + n + "\",\"" + ident + n + "\",\"\",\"" +
                    (i % 5 == 0 ? "S" : "N") + "\",\"" + std::to_string(i % 90) + "\"," + minutes +
                    "\r\n";
        }
        TBeaconFile f;
        f.Path = (std::filesystem::temp_directory_path() / "kestrun_beacons_bench.csv").string();
        std::ofstream(f.Path, std::ios::binary)
            .write(text.data(), static_cast<std::streamsize>(text.size()));
        f.Bytes = text.size();
        return f;
    }();
    return file;
}

void Report(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * kRecords);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * BeaconFile().Bytes));
}

void LoadBeacons(benchmark::State& state) {
    const std::string& path = BeaconFile().Path;
    for (auto _ : state) {
        TRSBNList list;
        LoadBeaconsCsv(list, path);
        if (list.Count() != kRecords) state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(list.Records.back());
    }
    Report(state);
}

void BM_LoadBeaconsCsv(benchmark::State& state) {
    LoadBeacons(state);
}
BENCHMARK(BM_LoadBeaconsCsv)->Unit(benchmark::kMillisecond);

void BM_LoadBeaconsCsv_ReusedMemory(benchmark::State& state) {
    // Large blocks from the heap, and freed memory kept for the next load.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    {
        TRSBNList warm;
        LoadBeaconsCsv(warm, BeaconFile().Path);
    }
    LoadBeacons(state);
}
BENCHMARK(BM_LoadBeaconsCsv_ReusedMemory)->Unit(benchmark::kMillisecond);

// The loader's token calls over the same file, without creating records.
void BM_TokenizerPass_LoaderCalls(benchmark::State& state) {
    const std::string& path = BeaconFile().Path;
    for (auto _ : state) {
        auto in = OpenFileRead(path);
        TVelParser parser(*in);
        std::string field;
        int records = 0;
        do {
            for (int i = 0; i < 9; ++i) {
                parser.ReadQuoted(field);
                parser.ExpectSymbol(',');
            }
            parser.ReadQuoted(field);
            parser.SkipLine();
            ++records;
        } while (!parser.Eof());
        if (records != kRecords) state.SkipWithError("wrong record count");
        benchmark::DoNotOptimize(field.data());
    }
    Report(state);
}
BENCHMARK(BM_TokenizerPass_LoaderCalls)->Unit(benchmark::kMillisecond);

// NextChar over every byte of the file.
void BM_TokenizerPass_NextChar(benchmark::State& state) {
    const std::string& path = BeaconFile().Path;
    for (auto _ : state) {
        auto in = OpenFileRead(path);
        TVelParser parser(*in);
        std::size_t sum = 0;
        while (unsigned char c = parser.NextChar()) sum += c;
        benchmark::DoNotOptimize(sum);
    }
    Report(state);
}
BENCHMARK(BM_TokenizerPass_NextChar)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
