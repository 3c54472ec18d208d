#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace halden {

// A release number: four parts major, minor, build and revision, each cut to 8 bits and
// packed from the most significant byte down, so versions compare as 32-bit numbers.
class VersionNumber {
public:
    constexpr VersionNumber() = default;

    // Each part keeps its low 8 bits: 1.256.0.0 is 1.0.0.0.
    static VersionNumber fromParts(std::uint32_t major, std::uint32_t minor, std::uint32_t build,
                                   std::uint32_t revision);
    // Four decimal numbers separated by "." (blanks before a number allowed, anything after
    // the fourth ignored). Nothing when there are fewer than four.
    static std::optional<VersionNumber> parse(std::string_view text);

    std::uint32_t value() const { return value_; }
    // "%d.%d.%d.%d".
    std::string text() const;

    auto operator<=>(const VersionNumber&) const = default;

private:
    explicit VersionNumber(std::uint32_t value) : value_(value) {}

    std::uint32_t value_ = 0;
};

} // namespace halden
