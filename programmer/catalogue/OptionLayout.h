#pragma once

#include "programmer/catalogue/OptionCheckBox.h"
#include "programmer/catalogue/PartRecord.h"

#include <array>
#include <cstdint>

namespace halden {

// How the option check boxes map onto the option bytes. Layout D serves the
// RQ-Delta parts, layout E RQE-1 and RQE-2; other parts have none, and their option
// bytes do not follow the boxes.
class OptionLayout {
public:
    enum class Kind { None, D, E };
    using Boxes = std::array<OptionCheckBox, OptionCheckBox::kCount>;
    using Bytes = std::array<std::uint8_t, PartRecord::kOptionImageSize>;

    static Kind forPart(std::uint32_t partIndex);

    // Writes the ticks of the enabled boxes into the option bytes.
    static void build(Kind kind, const Boxes& boxes, Bytes& bytes);
    // Sets the ticks of the enabled boxes from the option bytes.
    static void show(Kind kind, Boxes& boxes, const Bytes& bytes);

private:
    static void buildD(const Boxes& boxes, Bytes& b);
    static void buildE(const Boxes& boxes, Bytes& b);
    static void showD(Boxes& boxes, const Bytes& b);
    static void showE(Boxes& boxes, const Bytes& b);
};

} // namespace halden
