#pragma once

#include <optional>
#include <string>
#include <vector>

namespace halden {

// The options every adapter command takes besides its own: --adapter PATH (the adapter
// to open, as halden adapters lists it; without it the first one) and --log FILE (the
// trace log to append one line to).
struct AdapterOptions {
    static constexpr const char* kAdapter = "--adapter";
    static constexpr const char* kLog = "--log";

    std::string adapterPath;
    std::string logPath;

    // Takes the two options out of arguments (up to "--"); nothing, with the reason in
    // error, when one lacks its value or is given twice.
    static std::optional<AdapterOptions> take(std::vector<std::string>& arguments,
                                              std::string& error);
    // Tells the link library which adapter to open at its next connects.
    void chooseAdapter() const;
};

} // namespace halden
