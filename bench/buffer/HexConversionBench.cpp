// Intel HEX to binary: the whole `halden hex2bin` command against objcopy (and srec_cat,
// where installed) on the same files.
//
//   hex_conversion_bench [MiB...]     (default 4 8)
//
// For each size it makes a random image, has objcopy write it as Intel HEX at 0x08000000,
// and runs each converter as a whole process, the converters taking turns run by run so
// that a change in the machine's load falls on all of them alike. The files lie in a
// tmpfs folder, where a sync costs nothing, so the figures compare the conversions; the
// same is then done in a folder on the disk the build lives on, where halden's sync
// (its written file is durable once the command returns, objcopy's is not) adds what the
// disk takes to store the file, printed on its own as a plain write against a synced one.
// It prints the median and the fastest wall times, halden's time over objcopy's, and
// whether every output is the image.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 15;
constexpr double kGoal = 0.5; // halden's whole command against objcopy's, on tmpfs

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// On a machine that others share the fastest run is the closest to what the work itself
// takes; the median says what a run usually took.
double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

// One whole process, its standard output gone, without a shell in between; the wall time.
double runOnce(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const auto& argument : command) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t child = 0;
    int status = 0;
    const bool ran = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
                     waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                     WEXITSTATUS(status) == 0;
    const double seconds = secondsSince(start);
    posix_spawn_file_actions_destroy(&actions);
    if (!ran) {
        std::string line;
        for (const auto& argument : command) {
            line += argument + " ";
        }
        std::fprintf(stderr, "failed: %s\n", line.c_str());
        std::exit(1);
    }
    return seconds;
}

std::vector<char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const fs::path& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct Converter {
    std::string name;
    std::vector<std::string> command;
    fs::path output;
    std::vector<double> times;
};

// The converters of one HEX file in `dir`, each run kRuns times in turn.
std::vector<Converter> runConverters(const fs::path& dir, const fs::path& hex, bool withSrecCat) {
    const fs::path halden = fs::path(HALDEN_BIN_DIR) / "halden";
    std::vector<Converter> converters = {
        {"halden hex2bin",
         {halden.string(), "hex2bin", hex.string(), (dir / "halden.bin").string()},
         dir / "halden.bin",
         {}},
        {"objcopy",
         {"objcopy", "-I", "ihex", "-O", "binary", hex.string(), (dir / "objcopy.bin").string()},
         dir / "objcopy.bin",
         {}},
    };
    if (withSrecCat) {
        converters.push_back({"srec_cat",
                              {"srec_cat", hex.string(), "-intel", "-offset", "-0x08000000", "-o",
                               (dir / "srec.bin").string(), "-binary"},
                              dir / "srec.bin",
                              {}});
    }
    for (int run = 0; run < kRuns; ++run) {
        for (auto& converter : converters) {
            converter.times.push_back(runOnce(converter.command));
        }
    }
    return converters;
}

// What storing the image costs on `dir`'s disk with a sync and without: a new file written
// whole, then (for the synced one) the file and its folder synced, as halden does.
std::pair<double, double> storeTimes(const fs::path& dir, const std::vector<char>& image) {
    std::vector<double> plain;
    std::vector<double> synced;
    for (int run = 0; run < kRuns; ++run) {
        for (const bool sync : {false, true}) {
            const fs::path file = dir / "store.bin";
            fs::remove(file);
            const auto start = Clock::now();
            const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
            bool stored = fd >= 0 && ::write(fd, image.data(), image.size()) ==
                                         static_cast<ssize_t>(image.size());
            stored = stored && (!sync || ::fsync(fd) == 0);
            stored = fd >= 0 && ::close(fd) == 0 && stored;
            if (sync) {
                const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                stored = stored && folder >= 0 && ::fsync(folder) == 0 && ::close(folder) == 0;
            }
            if (!stored) {
                std::fprintf(stderr, "cannot store %s: %s\n", file.c_str(), std::strerror(errno));
                std::exit(1);
            }
            (sync ? synced : plain).push_back(secondsSince(start));
        }
    }
    return {median(plain), median(synced)};
}

// Prints one folder's figures; halden's time over objcopy's, of the medians and of the
// fastest runs.
std::pair<double, double> report(const std::vector<Converter>& converters,
                                 const std::vector<char>& image) {
    for (const auto& converter : converters) {
        const bool same = readAll(converter.output) == image;
        std::printf("    %-15s %7.1f ms median %7.1f ms fastest  %s\n", converter.name.c_str(),
                    median(converter.times) * 1000, fastest(converter.times) * 1000,
                    same ? "output matches the image" : "OUTPUT DIFFERS");
        if (!same) {
            std::exit(1);
        }
    }
    const double medians = median(converters[0].times) / median(converters[1].times);
    const double fastestRuns = fastest(converters[0].times) / fastest(converters[1].times);
    std::printf("    halden / objcopy = %.2f (medians), %.2f (fastest runs)\n", medians,
                fastestRuns);
    return {medians, fastestRuns};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::strtoul(argv[i], nullptr, 10));
    }
    if (sizes.empty()) {
        sizes = {4, 8};
    }
    const std::string tag = "halden-hex-bench-" + std::to_string(::getpid());
    const fs::path memory = fs::path("/dev/shm") / tag;
    const fs::path disk = fs::path(HALDEN_BIN_DIR).parent_path() / tag;
    fs::create_directories(memory);
    fs::create_directories(disk);
    const bool haveSrecCat = std::system("srec_cat -version > /dev/null 2>&1") == 0;

    bool goalMetByMedians = true;
    bool goalMetByFastest = true;
    for (const std::size_t mebibytes : sizes) {
        std::vector<char> image(mebibytes * 1024 * 1024);
        std::mt19937 random(1209);
        std::generate(image.begin(), image.end(), [&] { return static_cast<char>(random()); });
        writeAll(memory / "image.bin", image);
        const fs::path hex = memory / "image.hex";
        runOnce({"objcopy", "-I", "binary", "-O", "ihex", "--change-addresses", "0x08000000",
                 (memory / "image.bin").string(), hex.string()});
        fs::copy_file(hex, disk / "image.hex", fs::copy_options::overwrite_existing);

        std::printf("Intel HEX of %zu MiB (%ju bytes of text), %d runs each, taking turns\n",
                    mebibytes, static_cast<std::uintmax_t>(fs::file_size(hex)), kRuns);
        std::printf("  in %s (tmpfs, a sync costs nothing)\n", memory.c_str());
        const auto [medians, fastestRuns] = report(runConverters(memory, hex, haveSrecCat), image);
        goalMetByMedians = goalMetByMedians && medians <= kGoal;
        goalMetByFastest = goalMetByFastest && fastestRuns <= kGoal;
        std::printf("  in %s (the build's disk)\n", disk.c_str());
        report(runConverters(disk, disk / "image.hex", false), image);
        const auto [plain, synced] = storeTimes(disk, image);
        std::printf("    storing %zu MiB there: %.1f ms written, %.1f ms written and synced: "
                    "the sync adds %.1f ms\n",
                    mebibytes, plain * 1000, synced * 1000, (synced - plain) * 1000);
    }
    std::printf("halden / objcopy on tmpfs for every size: %s %.2f by the medians, %s by "
                "the fastest runs\n",
                goalMetByMedians ? "at most" : "NOT within", kGoal,
                goalMetByFastest ? "at most" : "NOT within");
    fs::remove_all(memory);
    fs::remove_all(disk);
    return 0;
}
