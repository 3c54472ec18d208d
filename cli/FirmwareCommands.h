#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class AdapterLink;
struct CliContext;
class LinkLibrary;
class LinkReport;

// halden firmware: the adapter's mode and firmware against the image the link library
// carries; halden firmware upgrade: the programmer's upgrade worker on that adapter.
class FirmwareCommands {
public:
    explicit FirmwareCommands(CliContext& context) : context_(context) {}

    // upgrading: halden firmware upgrade; arguments: those after its words.
    int run(const std::vector<std::string>& arguments, bool upgrading);

private:
    struct Found {
        std::string mode = "none";        // programmer, needs-firmware, recovery, boot-loader
        std::string firmware = "unknown"; // match, mismatch, unknown
        bool forced = false;
    };

    Found find(AdapterLink& link);
    int show(bool json);
    // logPath: the trace log to append the operation's line to; empty: none.
    int upgrade(bool json, const std::string& logPath);
    void noAdapter(const AdapterLink& link, LinkReport& report);
    std::string carriedVersion(const LinkLibrary& library) const;

    CliContext& context_;
};

} // namespace halden
