// Intel HEX to binary: halden hex2bin against objcopy and srec_cat on the same file.
//
//   hex_conversion_bench [MiB]     (default 8)
//
// Generates a random image, has objcopy write it as Intel HEX at 0x08000000, then runs
// each converter as a whole process several times and prints the median wall times,
// the ratios, and whether all outputs agree.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kRuns = 7;

double medianSeconds(const std::string& command) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            std::exit(1);
        }
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

std::vector<char> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t mebibytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 8;
    const fs::path halden = fs::path(HALDEN_BIN_DIR) / "halden";
    const fs::path dir = fs::temp_directory_path() / "halden-hex-bench";
    fs::create_directories(dir);

    std::vector<char> image(mebibytes * 1024 * 1024);
    std::mt19937 random(1209);
    std::generate(image.begin(), image.end(), [&] { return static_cast<char>(random()); });
    std::ofstream(dir / "image.bin", std::ios::binary)
        .write(image.data(), static_cast<std::streamsize>(image.size()));
    const std::string hex = (dir / "image.hex").string();
    if (std::system(("objcopy -I binary -O ihex --change-addresses 0x08000000 " +
                     (dir / "image.bin").string() + " " + hex)
                        .c_str()) != 0) {
        std::fprintf(stderr, "objcopy is needed to write the HEX file\n");
        return 1;
    }

    struct Converter {
        const char* name;
        std::string command;
        fs::path output;
        double seconds = 0;
    };
    std::vector<Converter> converters = {
        {"halden hex2bin",
         halden.string() + " hex2bin " + hex + " " + (dir / "halden.bin").string() + " > /dev/null",
         dir / "halden.bin"},
        {"objcopy", "objcopy -I ihex -O binary " + hex + " " + (dir / "objcopy.bin").string(),
         dir / "objcopy.bin"},
        {"srec_cat",
         "srec_cat " + hex + " -intel -offset -0x08000000 -o " + (dir / "srec.bin").string() +
             " -binary",
         dir / "srec.bin"},
    };
    const bool haveSrecCat = std::system("srec_cat -version > /dev/null 2>&1") == 0;
    std::printf("Intel HEX of %zu MiB (%ju bytes of text), median of %d runs\n", mebibytes,
                static_cast<std::uintmax_t>(fs::file_size(hex)), kRuns);
    for (auto& converter : converters) {
        if (!haveSrecCat && std::string(converter.name) == "srec_cat") {
            std::printf("  %-15s not installed\n", converter.name);
            continue;
        }
        converter.seconds = medianSeconds(converter.command);
        const bool same = readAll(converter.output) == image;
        std::printf("  %-15s %8.1f ms  %s\n", converter.name, converter.seconds * 1000,
                    same ? "output matches the image" : "OUTPUT DIFFERS");
    }
    for (std::size_t i = 1; i < converters.size(); ++i) {
        if (converters[i].seconds > 0) {
            std::printf("  %s / halden = %.2f\n", converters[i].name,
                        converters[i].seconds / converters[0].seconds);
        }
    }
    fs::remove_all(dir);
    return 0;
}
