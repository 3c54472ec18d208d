// Linked into a test program that uses the hidraw bed: before main, the program starts
// again under umockdev's preload library and the poll shim, so running it by hand works
// as under ctest.
#include "tests/support/hidraw/HidrawBed.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

bool restartUnderPreload() {
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    const std::string line{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    std::vector<std::string> words;
    for (std::size_t start = 0; start < line.size();) {
        const std::size_t end = line.find('\0', start);
        words.push_back(line.substr(start, end - start));
        start = end == std::string::npos ? line.size() : end + 1;
    }
    std::vector<char*> argv;
    for (auto& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    halden::test::HidrawBed::restartUnderPreload(argv.data());
    return true;
}

[[maybe_unused]] const bool restarted = restartUnderPreload();

} // namespace
