#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace halden {

class AdapterLink;
class CliSession;
class LinkLibrary;
class LinkReport;

// halden firmware: the adapter's mode and firmware against the image the link library
// carries; halden firmware upgrade: the programmer's upgrade worker on that adapter.
class FirmwareCommands {
public:
    FirmwareCommands(CliSession& session, std::ostream& out, std::ostream& err, bool terminal,
                     bool verbose)
        : session_(session), out_(out), err_(err), terminal_(terminal), verbose_(verbose) {}

    int run(const std::vector<std::string>& arguments);

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

    CliSession& session_;
    std::ostream& out_;
    std::ostream& err_;
    bool terminal_;
    bool verbose_;
};

} // namespace halden
