// halden gang against four emulated adapters at full-speed USB timing, each programming
// a 256 KiB image into its own chip, set against halden program with one adapter alone.
// The processes run as a production line runs them: the real halden, the link library
// beside it, one process per adapter. The goal: the gang's wall time at most 1.2 times
// the single adapter's ("ratio" in the gang's row, against the single run measured first).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kImageSize = 256 * 1024;
constexpr int kGangSize = 4;

double singleSeconds = 0;

struct Workspace {
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "halden-gang-XXXXXX").string();
        dir = mkdtemp(pattern.data()) ? pattern : "";
        std::vector<char> bytes(kImageSize);
        std::mt19937 random(17);
        for (char& b : bytes) {
            b = static_cast<char>(random());
        }
        image.assign(bytes.begin(), bytes.end());
        std::ofstream(dir / "image.bin", std::ios::binary).write(bytes.data(), kImageSize);
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    fs::path dir;
    std::string image;
};

bool holdsImage(const fs::path& flash, const std::string& image) {
    std::ifstream in(flash, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    return bytes.size() >= image.size() && bytes.compare(0, image.size(), image) == 0;
}

int runHalden(const std::string& emulator, const std::string& arguments) {
    const std::string command = "TAVRO_EMULATOR='" + emulator + "' " + HALDEN_BIN_DIR + "/halden " +
                                arguments + " >/dev/null 2>&1";
    return std::system(command.c_str());
}

void Program(benchmark::State& state, int adapters) {
    Workspace work;
    const std::string image = (work.dir / "image.bin").string();
    double total = 0;
    for (auto _ : state) {
        const std::string emulator =
            "target=RQD-4,latency=usb-fs,adapters=" + std::to_string(adapters) +
            ",state=" + (work.dir / "emu").string();
        const std::string arguments =
            (adapters == 1 ? "program" : "gang program") + std::string(" --part RQD-4 ") + image;
        const auto start = std::chrono::steady_clock::now();
        const int code = runHalden(emulator, arguments);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        if (code != 0) {
            state.SkipWithError("halden failed");
            return;
        }
        for (int k = 1; k <= adapters; ++k) {
            if (!holdsImage(work.dir / ("emu/adapter-" + std::to_string(k) + "/flash.bin"),
                            work.image)) {
                state.SkipWithError("a chip does not hold the image");
                return;
            }
        }
    }
    const double mean = total / static_cast<double>(state.iterations());
    if (adapters == 1) {
        singleSeconds = mean;
    } else if (singleSeconds > 0) {
        state.counters["ratio"] = mean / singleSeconds;
    }
    state.counters["adapters"] = adapters;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * adapters * kImageSize);
}

} // namespace

BENCHMARK_CAPTURE(Program, one_adapter, 1)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Program, gang_of_four, kGangSize)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
