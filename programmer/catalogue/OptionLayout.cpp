#include "programmer/catalogue/OptionLayout.h"

namespace halden {

namespace {

void setBits(OptionLayout::Bytes& b, const OptionCheckBox& box, bool on) {
    const auto mask = static_cast<std::uint8_t>(box.mask);
    b[box.byteIndex] = on ? static_cast<std::uint8_t>(b[box.byteIndex] | mask)
                          : static_cast<std::uint8_t>(b[box.byteIndex] & ~mask);
}

std::uint8_t bitsOf(const OptionLayout::Bytes& b, const OptionCheckBox& box) {
    return static_cast<std::uint8_t>(b[box.byteIndex] & box.mask);
}

void fillBytes(OptionLayout::Bytes& b, std::initializer_list<std::size_t> indices,
               std::uint8_t value) {
    for (const std::size_t index : indices) {
        b[index] = value;
    }
}

std::uint8_t complement(std::uint8_t value) {
    return static_cast<std::uint8_t>(~value);
}

} // namespace

OptionLayout::Kind OptionLayout::forPart(std::uint32_t partIndex) {
    switch (partIndex) {
    case 36:
    case 37:
    case 38:
    case 39:
        return Kind::D;
    case 42:
    case 45:
        return Kind::E;
    default:
        return Kind::None;
    }
}

void OptionLayout::build(Kind kind, const Boxes& boxes, Bytes& bytes) {
    if (kind == Kind::D) {
        buildD(boxes, bytes);
    } else if (kind == Kind::E) {
        buildE(boxes, bytes);
    }
}

void OptionLayout::show(Kind kind, Boxes& boxes, const Bytes& bytes) {
    if (kind == Kind::D) {
        showD(boxes, bytes);
    } else if (kind == Kind::E) {
        showE(boxes, bytes);
    }
}

void OptionLayout::buildD(const Boxes& boxes, Bytes& b) {
    if (boxes[0].enabled) {
        const bool lock = boxes[0].ticked;
        b[16] = lock ? 0x83 : 0x0C;
        b[20] = lock ? 0x7C : 0xF3;
        b[24] = lock ? 0x00 : 0xA5;
        b[25] = lock ? 0xFF : 0x5A;
        fillBytes(b, {0, 1, 32, 33}, lock ? 0x55 : 0x00);
    }
    for (const std::size_t n : {1, 2}) {
        if (boxes[n].enabled) {
            b[boxes[n].byteIndex] = boxes[n].ticked ? 0x03 : 0x0C;
        }
    }
    if (boxes[3].enabled) {
        fillBytes(b, {48, 49, 50, 51}, boxes[3].ticked ? 0x00 : 0xFF);
        fillBytes(b, {60, 61, 62, 63}, boxes[3].ticked ? 0xFF : 0x00);
    }
    for (const std::size_t n : {4, 5, 6}) {
        if (boxes[n].enabled) {
            setBits(b, boxes[n], boxes[n].ticked);
        }
    }
    b[124] = complement(b[112]);
}

void OptionLayout::buildE(const Boxes& boxes, Bytes& b) {
    if (boxes[0].enabled) {
        b[0] = boxes[0].ticked ? 0xFF : 0xA5;
        b[1] = boxes[0].ticked ? 0xFF : 0x5A;
    }
    if (boxes[1].enabled) {
        fillBytes(b, {8, 10, 12, 14}, boxes[1].ticked ? 0x00 : 0xFF);
        fillBytes(b, {9, 11, 13, 15}, boxes[1].ticked ? 0xFF : 0x00);
    }
    if (boxes[2].enabled) {
        setBits(b, boxes[2], boxes[2].ticked);
    }
    // These two bits mean "no reset" when set, so a ticked box clears its bit.
    for (const std::size_t n : {3, 4}) {
        if (boxes[n].enabled) {
            setBits(b, boxes[n], !boxes[n].ticked);
        }
    }
    b[3] = complement(b[2]);
}

void OptionLayout::showD(Boxes& boxes, const Bytes& b) {
    auto tick = [&](std::size_t n, bool ticked) {
        if (boxes[n].enabled) {
            boxes[n].ticked = ticked;
        }
    };
    tick(0, (b[16] & 0x0F) != 0x0C || b[0] != 0 || b[1] != 0 || b[32] != 0 || b[33] != 0);
    for (const std::size_t n : {1, 2}) {
        tick(n, bitsOf(b, boxes[n]) != 0x0C);
    }
    tick(3, !((b[48] == 0xFF && b[49] == 0xFF && b[50] == 0xFF) || b[51] == 0xFF));
    for (const std::size_t n : {4, 5, 6}) {
        tick(n, bitsOf(b, boxes[n]) != 0);
    }
}

void OptionLayout::showE(Boxes& boxes, const Bytes& b) {
    auto tick = [&](std::size_t n, bool ticked) {
        if (boxes[n].enabled) {
            boxes[n].ticked = ticked;
        }
    };
    tick(0, (b[0] & b[1]) != 0);
    tick(1, !((b[8] == 0xFF && b[10] == 0xFF && b[12] == 0xFF) || b[14] == 0xFF));
    tick(2, bitsOf(b, boxes[2]) != 0);
    for (const std::size_t n : {3, 4}) {
        tick(n, bitsOf(b, boxes[n]) == 0);
    }
}

} // namespace halden
