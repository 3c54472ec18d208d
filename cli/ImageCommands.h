#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class CliSession;

// halden image and halden hex2bin.
class ImageCommands {
public:
    // hex2bin's bound: larger images are refused rather than allocated.
    static constexpr std::size_t kMaxHexImage = 64u * 1024 * 1024;

    ImageCommands(CliSession& session, std::ostream& out, std::ostream& err)
        : session_(session), out_(out), err_(err) {}

    int image(const std::vector<std::string>& arguments);
    int hex2bin(const std::vector<std::string>& arguments);

private:
    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace halden
