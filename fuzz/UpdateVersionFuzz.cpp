// A version file from anywhere, read as the update check reads it: "Version" cut to 31
// characters, then four numbers. A version that parses prints as four parts of at most
// 255 and reads back as itself.
#include "common/ProfileIni.h"
#include "common/ProfileText.h"
#include "fuzz/FuzzSupport.h"
#include "programmer/update/VersionNumber.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const halden::ProfileText file(text);
    const auto version =
        halden::ProfileIni::fitValue(file.value("Jadeo_Tavro", "Version").value_or(""), 32);
    FUZZ_CHECK(version.text.size() <= 31);
    for (const std::string_view candidate : {std::string_view(version.text), text}) {
        const auto parsed = halden::VersionNumber::parse(candidate);
        if (!parsed) {
            continue;
        }
        const auto again = halden::VersionNumber::parse(parsed->text());
        FUZZ_CHECK(again && *again == *parsed);
        FUZZ_CHECK(parsed->text().size() <= 15);
    }
    return 0;
}
