// Parse + listing of every format on large files, in bytes of file per
// second, beside the rate of touching every byte of the same buffer once:
// no reader can go faster than that, so results are quoted as a fraction of
// it. Also the scaling series, one drawing's content 1, 10 and 100 times.
//
//   vaveze_parse_bench --files=FOLDER [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "core/listing/listing.h"
#include "bench/bench_common.h"
#include "bench/bench_files.h"
#include "core/readers/dos/zvcunit.h"
#include "core/readers/dos/zvkunit.h"
#include "core/readers/win/zvsunit.h"
#include "core/readers/win/zvwunit.h"

namespace {

using namespace vaveze;
using namespace vaveze::bench;

std::string gFolder;

// One file at a time stays loaded: the large files together would need
// several hundred megabytes on a machine that others share.
const std::string& Loaded(std::string_view name)
{
    static std::string loadedName;
    static std::string bytes;
    if (loadedName != name) {
        bytes.clear();
        bytes.shrink_to_fit();
        bytes = LoadFile(gFolder + "/" + std::string(name));
        loadedName = name;
    }
    return bytes;
}

// Every item reports the same counters (the CSV output needs that).
void Finish(benchmark::State& state, std::size_t fileSize, std::size_t listingSize)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(fileSize));
    state.counters["MB"] = static_cast<double>(fileSize) / 1e6;
    state.counters["listing_MB"] = static_cast<double>(listingSize) / 1e6;
}

// The read limit: every byte of the buffer is loaded once and summed.
void TouchEveryByte(benchmark::State& state, std::string_view name)
{
    const std::string& bytes = Loaded(name);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (const char c : bytes)
            sum += static_cast<unsigned char>(c);
        benchmark::DoNotOptimize(sum);
    }
    Finish(state, bytes.size(), 0);
}

// How the memory of one pass relates to the pass before.
enum class Memory {
    // Every page freed by the pass before goes back to the system first, so
    // each pass gets fresh pages as a new run of the tool does. Without that
    // a small file's tables would sit in memory recycled from the pass
    // before, while a large file's (beyond the allocator's mapping
    // threshold) never can, and sizes could not be compared.
    Fresh,
    // Passes reuse what the allocator kept, as a window that has listed
    // other files before may.
    Recycled,
};

// A fresh reader and a fresh listing per pass, as the tool has per file.
template <typename Reader, typename Parse, typename List>
void ParseAndList(benchmark::State& state, std::string_view name, Memory memory, Parse parse, List list)
{
    const std::string& bytes = Loaded(name);
    std::size_t listed = 0;
    for (auto _ : state) {
        auto reader = std::make_unique<Reader>();
        const bool complete = parse(*reader, bytes).Complete();
        StreamedBytesSink sink;
        (void)list(*reader, kEveryOption, sink);
        reader.reset();
        listed = sink.Total();
        if (!complete)
            state.SkipWithError("the file did not parse to its end");

        if (memory == Memory::Fresh) {
            state.PauseTiming();
            ReturnFreedMemory();
            state.ResumeTiming();
        }
    }
    Finish(state, bytes.size(), listed);
}

template <Memory M>
void Zvw(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvwReader>(state, name, M, ParseZvwBytes, ListZvw);
}
template <Memory M>
void Zvs(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvsReader>(state, name, M, ParseZvsBytes, ListZvs);
}
// Keeping the texts alone, as the tool, the C interface and the web page do.
void ZvwTexts(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvwReader>(state, name, Memory::Fresh, ParseZvwTextsBytes, ListZvw);
}
void ZvsTexts(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvsReader>(state, name, Memory::Fresh, ParseZvsTextsBytes, ListZvs);
}
void Zvc(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvcReader>(state, name, Memory::Fresh, ParseZvcBytes, ListZvc);
}
void Zvk(benchmark::State& state, std::string_view name)
{
    ParseAndList<ZvkReader>(state, name, Memory::Fresh, ParseZvkBytes, ListZvk);
}

void Register(const std::string& title, void (*fn)(benchmark::State&, std::string_view), std::string_view file)
{
    benchmark::RegisterBenchmark(title.c_str(), [fn, file](benchmark::State& state) { fn(state, file); })
        ->Unit(benchmark::kMillisecond);
}

void RegisterAll()
{
    // Each file's baseline runs right before its parse, on the same buffer.
    const struct {
        void (*Fn)(benchmark::State&, std::string_view);
        std::string_view File;
    } large[] = {{Zvw<Memory::Fresh>, kLargeZvw},
                 {Zvs<Memory::Fresh>, kLargeZvs},
                 {Zvc, kLargestZvc},
                 {Zvk, kLargestZvk}};
    for (const auto& f : large) {
        Register("touch_every_byte/" + std::string(f.File), TouchEveryByte, f.File);
        Register("parse_list/" + std::string(f.File), f.Fn, f.File);
    }
    Register("parse_texts_list/" + std::string(kLargeZvw), ZvwTexts, kLargeZvw);
    Register("parse_texts_list/" + std::string(kLargeZvs), ZvsTexts, kLargeZvs);
    for (const std::string_view file : {kScale1, kScale10, kScale100})
        Register("scaling/" + std::string(file), Zvw<Memory::Fresh>, file);

    // The same with recycled memory, for comparison.
    Register("parse_list_recycled/" + std::string(kLargeZvw), Zvw<Memory::Recycled>, kLargeZvw);
    Register("parse_list_recycled/" + std::string(kLargeZvs), Zvs<Memory::Recycled>, kLargeZvs);
    for (const std::string_view file : {kScale1, kScale10, kScale100})
        Register("scaling_recycled/" + std::string(file), Zvw<Memory::Recycled>, file);
}

}  // namespace

int main(int argc, char** argv)
{
    gFolder = TakeFolderArgument(argc, argv);
    if (gFolder.empty()) {
        std::fprintf(stderr, "usage: %s --files=FOLDER [benchmark flags]\n", argv[0]);
        return 2;
    }
    try {
        RegisterAll();
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv))
            return 2;
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
