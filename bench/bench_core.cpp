// Core figures against their floors, in one process: catalog loading against
// reading the file and splitting it into lines with memchr, and saving then
// loading a unit file against writing and reading back the same bytes; also
// the folding of a large picker's captions for its filter line.
#include "bench_fixtures.h"

#include "catalog.h"
#include "codec.h"
#include "designer.h"
#include "search_fold.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

namespace {

using krbench::Fixtures;

std::size_t FileSize(const std::filesystem::path& path) { return std::filesystem::file_size(path); }

// ---- catalog loading ----------------------------------------------------------

void BM_LoadCatalog(benchmark::State& state) {
    const auto directory = krbench::CatalogDirectory(Fixtures(), static_cast<std::size_t>(state.range(0)));
    std::size_t entries = 0;
    for (auto _ : state) {
        // Loaded into an empty list, as at start-up; freeing it is not timed.
        auto catalog = std::make_unique<kr::TKRWeaponList>();
        catalog->LoadCatalog(directory);
        entries = catalog->Count();
        state.PauseTiming();
        catalog.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(directory / "weapon.csv")));
    state.counters["entries"] = static_cast<double>(entries);
}

// The floor: the same file read whole into a buffer of its own and cut into
// lines, nothing more. Both this and the loader get fresh memory each time
// (see main), as a program does at start-up.
void BM_FloorReadLines(benchmark::State& state) {
    const auto path = krbench::CatalogDirectory(Fixtures(), static_cast<std::size_t>(state.range(0))) / "weapon.csv";
    const std::size_t size = FileSize(path);
    std::size_t lines = 0;
    for (auto _ : state) {
        // Not cleared first: the read is the first write to the buffer.
        const auto bytes = std::make_unique_for_overwrite<char[]>(size);
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::size_t used = 0;
        for (ssize_t got; used < size && (got = ::read(fd, bytes.get() + used, size - used)) > 0;)
            used += static_cast<std::size_t>(got);
        ::close(fd);
        lines = 0;
        const char* p = bytes.get();
        const char* end = p + used;
        while (p < end) {
            const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            if (nl == nullptr) break;
            p = static_cast<const char*>(nl) + 1;
            ++lines;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

BENCHMARK(BM_LoadCatalog)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorReadLines)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// ---- picker filter -------------------------------------------------------------

// The weapon catalog of a size, loaded once.
const kr::TKRWeaponList& WeaponCatalog(std::size_t entries) {
    static std::map<std::size_t, std::unique_ptr<kr::TKRWeaponList>> catalogs;
    auto& catalog = catalogs[entries];
    if (!catalog) {
        catalog = std::make_unique<kr::TKRWeaponList>();
        catalog->LoadCatalog(krbench::CatalogDirectory(Fixtures(), entries));
    }
    return *catalog;
}

// What a picker's filter line needs before its first keystroke: the search
// keys of every caption of the weapon catalog.
void BM_FoldCaptions(benchmark::State& state) {
    const kr::TKRWeaponList& catalog = WeaponCatalog(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        kr::CaptionKeys keys;
        keys.Build(catalog.Count(), [&](std::size_t row) { return catalog.EntryByIndex(row)->Name; });
        benchmark::DoNotOptimize(keys.Count());
    }
    state.counters["captions"] = static_cast<double>(catalog.Count());
}

BENCHMARK(BM_FoldCaptions)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A keystroke's scan of every caption's key: "ﾐ" (in one name of about
// thirteen) and "m" (in every one).
void BM_ScanCaptions(benchmark::State& state, const char* typed) {
    const kr::TKRWeaponList& catalog = WeaponCatalog(static_cast<std::size_t>(state.range(0)));
    kr::CaptionKeys keys;
    keys.Build(catalog.Count(), [&](std::size_t row) { return catalog.EntryByIndex(row)->Name; });
    const std::string needle = kr::SearchKey(kr::Sjis(typed));
    std::size_t found = 0;
    for (auto _ : state) found = keys.RowsContaining(needle).size();
    state.counters["found"] = static_cast<double>(found);
}

BENCHMARK_CAPTURE(BM_ScanCaptions, narrow, "ﾐ")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ScanCaptions, every, "M")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// ---- unit file ---------------------------------------------------------------

// The largest catalogs with their picker rows, loaded once for every unit benchmark.
struct LargeDesign {
    kr::Catalogs catalogs;
    kr::Designer designer{catalogs};
    LargeDesign() {
        kr::LoadCatalogs(catalogs, krbench::CatalogDirectory(Fixtures(), krbench::LargestCatalog));
        kr::FillPickers(designer);
    }
};

LargeDesign& Large() {
    static LargeDesign design;
    return design;
}

std::filesystem::path ScratchFile(const char* name) {
    const auto folder = Fixtures() / "scratch";
    std::filesystem::create_directories(folder);
    return folder / name;
}

void BM_SaveLoadUnit(benchmark::State& state) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    kr::Designer& designer = Large().designer;
    kr::LoadUnitFile(krbench::UnitFile(Fixtures(), rows), designer);
    const auto path = ScratchFile("save-load.kr");
    std::filesystem::remove(path);
    for (auto _ : state) {
        kr::WriteUnitFile(path, designer.Sheet);
        kr::LoadUnitFile(path, designer);
    }
    state.counters["rows"] = static_cast<double>(designer.Sheet.Options.Count() + designer.Sheet.Moves.Count() +
                                                 designer.Sheet.Weapons.Count());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileSize(path)));
}

// The floor: the bytes of that save written and read back with plain file I/O.
void WriteRead(benchmark::State& state, bool durable) {
    const auto rows = static_cast<std::size_t>(state.range(0));
    kr::Designer& designer = Large().designer;
    kr::LoadUnitFile(krbench::UnitFile(Fixtures(), rows), designer);
    const auto saved = ScratchFile("floor-source.kr");
    std::filesystem::remove(saved);
    kr::WriteUnitFile(saved, designer.Sheet);
    const std::string bytes = kr::ReadWholeFile(saved);
    const auto path = ScratchFile("floor.kr");
    const auto temporary = ScratchFile("floor.tmp");
    for (auto _ : state) {
        const auto target = durable ? temporary : path;
        int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) state.SkipWithError("write");
        if (durable) ::fsync(fd);
        ::close(fd);
        if (durable) {
            std::filesystem::rename(temporary, path);
            const int folder = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::fsync(folder);
            ::close(folder);
        }
        std::string back(bytes.size(), '\0');
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (::read(fd, back.data(), back.size()) != static_cast<ssize_t>(back.size())) state.SkipWithError("read");
        ::close(fd);
        benchmark::DoNotOptimize(back.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_FloorWriteRead(benchmark::State& state) { WriteRead(state, false); }
// The same, made durable the way every save is: flushed, renamed into place, folder flushed.
void BM_FloorWriteSyncRead(benchmark::State& state) { WriteRead(state, true); }

BENCHMARK(BM_SaveLoadUnit)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWriteRead)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWriteSyncRead)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // Large blocks always come fresh from the system and go back when freed,
    // for the loader and for its floor alike: without this, the allocator
    // would hand the floor the same warm buffer every time.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
