#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

struct CliContext;

// halden image and halden hex2bin.
class ImageCommands {
public:
    // hex2bin's bound: larger images are refused rather than allocated.
    static constexpr std::size_t kMaxHexImage = 64u * 1024 * 1024;

    explicit ImageCommands(CliContext& context) : context_(context) {}

    int image(const std::vector<std::string>& arguments);
    int hex2bin(const std::vector<std::string>& arguments);

private:
    CliContext& context_;
};

} // namespace halden
