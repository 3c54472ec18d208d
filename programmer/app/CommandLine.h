#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace halden {

// The programmer's command line: a part name followed by an unquoted file path, or
// one argument of any text that forces an adapter firmware upgrade.
class CommandLine {
public:
    // Paths and names hold at most 259 characters plus the terminator.
    static constexpr std::size_t kMaxPath = 260;

    struct Values {
        std::u16string partName;
        std::u16string filePath;
        bool forcedUpgrade = false;
        // The joined file path reached kMaxPath characters: start-up ends.
        bool pathTooLong = false;
    };

    // argumentCount counts the program name, as the runtime parsed it. The argument
    // text starts after the quoted program path when the raw line begins with it,
    // otherwise after the first token (the program as it was typed).
    static Values parse(std::u16string_view raw, int argumentCount,
                        std::u16string_view programPath);

    // The raw command line the way the system would hand it over: each argument that
    // holds a space or tab in double quotes.
    static std::u16string rawFromArguments(const std::vector<std::u16string>& arguments);

private:
    static std::u16string_view argumentText(std::u16string_view raw,
                                            std::u16string_view programPath);
};

} // namespace halden
