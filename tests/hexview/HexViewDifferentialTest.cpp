#include "hexview/HexText.h"
#include "tests/hexview/HexViewTestSupport.h"

#include <QClipboard>

#include <algorithm>
#include <random>

namespace halden {
namespace {

// The editing rules written the plain way, over a std::vector: overwrite, append up to
// the capacity, typing and pasting start at the selection's start, deleting shortens.
struct Reference {
    Bytes bytes;
    std::size_t capacity;
    std::size_t position = 0;
    std::size_t anchor = 0;
    int nibble = 0;

    std::size_t begin() const { return std::min(position, anchor); }
    std::size_t end() const { return std::max(position, anchor); }
    bool selected() const { return position != anchor; }
    void collapse(std::size_t at) {
        position = anchor = at;
        nibble = 0;
    }
    std::size_t start() {
        if (selected()) {
            collapse(begin());
        }
        return position;
    }
    bool put(std::size_t at, std::uint8_t byte) {
        if (at < bytes.size()) {
            bytes[at] = byte;
        } else if (at == bytes.size() && at < capacity) {
            bytes.push_back(byte);
        } else {
            return false;
        }
        return true;
    }

    void setData(const Bytes& data) {
        bytes.assign(data.begin(), data.begin() + std::min(data.size(), capacity));
        collapse(0);
    }
    bool setCapacity(std::size_t value) {
        capacity = value;
        const bool cut = bytes.size() > value;
        bytes.resize(std::min(bytes.size(), value));
        if (position >= bytes.size()) {
            position = bytes.size();
            nibble = 0;
        }
        anchor = std::min(anchor, bytes.size());
        return cut;
    }
    bool clear() {
        const bool held = !bytes.empty();
        bytes.clear();
        collapse(0);
        return held;
    }
    bool hexDigit(unsigned value) {
        const std::size_t at = start();
        const std::uint8_t old = at < bytes.size() ? bytes[at] : 0xFF;
        const auto byte = static_cast<std::uint8_t>(nibble == 0 ? value << 4 | (old & 0x0F)
                                                                : (old & 0xF0) | value);
        if (!put(at, byte)) {
            return false;
        }
        if (nibble == 0) {
            nibble = 1;
        } else {
            collapse(at + 1);
        }
        return true;
    }
    bool character(std::uint8_t c) {
        const std::size_t at = start();
        if (!put(at, c)) {
            return false;
        }
        collapse(at + 1);
        return true;
    }
    bool paste(const Bytes& data) {
        const std::size_t at = start();
        std::size_t written = 0;
        while (written < data.size() && put(at + written, data[written])) {
            ++written;
        }
        collapse(at + written);
        return written > 0;
    }
    bool erase(std::size_t from, std::size_t count) {
        bytes.erase(bytes.begin() + from, bytes.begin() + from + count);
        collapse(from);
        return count > 0;
    }
    bool deleteKey() {
        if (selected()) {
            return erase(begin(), end() - begin());
        }
        return erase(position, position < bytes.size() ? 1 : 0);
    }
    bool backspace() {
        if (selected()) {
            return erase(begin(), end() - begin());
        }
        return position > 0 && erase(position - 1, 1);
    }
};

class HexViewDifferentialTest : public HexViewFixture, public testing::WithParamInterface<int> {
protected:
    std::size_t below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    }
    Bytes randomBytes(std::size_t count) {
        Bytes out(count);
        for (auto& byte : out) {
            byte = static_cast<std::uint8_t>(below(256));
        }
        return out;
    }
    void toColumn(HexCursor::Column column) {
        if (view.editCursor().column() != column) {
            key(Qt::Key_Tab);
        }
    }

    // One random edit, applied to the view through its keys and contract and to the
    // reference. Returns how many of its key presses and calls changed the reference: the
    // notifications the view owes.
    int step(Reference& reference) {
        switch (below(10)) {
        case 0: {
            const Bytes data = randomBytes(1 + below(reference.capacity + 8));
            control().setData(data.data(), data.size());
            reference.setData(data);
            return 1;
        }
        case 1: {
            const std::size_t offset = below(reference.bytes.size() + 4);
            view.goToAddress(offset);
            reference.collapse(std::min(offset, reference.bytes.size()));
            return 0;
        }
        case 2:
        case 3: {
            const bool right = below(2) == 0;
            for (std::size_t n = 1 + below(6); n > 0; --n) {
                key(right ? Qt::Key_Right : Qt::Key_Left, Qt::ShiftModifier);
                reference.position = right
                                         ? std::min(reference.position + 1, reference.bytes.size())
                                         : (reference.position > 0 ? reference.position - 1 : 0);
                reference.nibble = 0;
            }
            return 0;
        }
        case 4: {
            toColumn(HexCursor::Column::Hex);
            int changed = 0;
            for (std::size_t n = 1 + below(5); n > 0; --n) {
                const auto value = static_cast<unsigned>(below(16));
                const QChar digit = QLatin1Char(HexText::digit(value));
                type(below(2) == 0 ? digit : digit.toLower());
                changed += reference.hexDigit(value);
            }
            return changed;
        }
        case 5: {
            toColumn(HexCursor::Column::Ascii);
            int changed = 0;
            for (std::size_t n = 1 + below(5); n > 0; --n) {
                const auto c = static_cast<std::uint8_t>(0x20 + below(0x5F));
                type(QString(QLatin1Char(static_cast<char>(c))));
                changed += reference.character(c);
            }
            return changed;
        }
        case 6:
            key(Qt::Key_Delete);
            return reference.deleteKey();
        case 7:
            key(Qt::Key_Backspace);
            return reference.backspace();
        case 8: {
            toColumn(HexCursor::Column::Hex);
            const Bytes data = randomBytes(1 + below(8));
            QApplication::clipboard()->setText(
                QString::fromStdString(HexText::bytes(data.data(), data.size())));
            key(Qt::Key_V, Qt::ControlModifier);
            return reference.paste(data);
        }
        default:
            if (below(4) == 0) {
                control().clearAll();
                return reference.clear();
            }
            const std::size_t capacity = 1 + below(96);
            control().setCapacity(capacity);
            return reference.setCapacity(capacity);
        }
    }

    std::mt19937 random{static_cast<std::mt19937::result_type>(GetParam())};
};

TEST_P(HexViewDifferentialTest, RandomEditsMatchAPlainVector) {
    Reference reference{{}, 64};
    control().setCapacity(reference.capacity);
    int expectedChanges = 0;
    for (int i = 0; i < 1500; ++i) {
        expectedChanges += step(reference);
        ASSERT_EQ(bytes(), reference.bytes) << "step " << i;
        ASSERT_EQ(changes, expectedChanges) << "step " << i;
        ASSERT_EQ(view.editCursor().position(), reference.position) << "step " << i;
        ASSERT_EQ(view.editCursor().selection(),
                  (HexCursor::Range{reference.begin(), reference.end()}))
            << "step " << i;
        std::uint32_t sum = 0;
        for (const std::uint8_t byte : reference.bytes) {
            sum += byte;
        }
        ASSERT_EQ(control().sum(), sum) << "step " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, HexViewDifferentialTest, testing::Values(1, 2, 3, 20240611));

} // namespace
} // namespace halden
