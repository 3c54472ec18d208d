#include "tests/hexview/HexViewTestSupport.h"

#include <QImage>
#include <QPluginLoader>

namespace halden {
namespace {

using HexViewContractTest = HexViewFixture;

TEST_F(HexViewContractTest, SetDataKeepsTheFirstCapacityBytesAndNotifies) {
    EXPECT_EQ(control().setCapacity(4), 4u);
    const Bytes bytes = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(control().setData(bytes.data(), bytes.size()), 4u);
    EXPECT_EQ(this->bytes(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(changes, 1);
}

TEST_F(HexViewContractTest, SetDataWithNullOrZeroChangesNothing) {
    set({1, 2, 3});
    const Bytes other = {9, 9};
    EXPECT_EQ(control().setData(nullptr, 5), 3u);
    EXPECT_EQ(control().setData(other.data(), 0), 3u);
    EXPECT_EQ(bytes(), (Bytes{1, 2, 3}));
    EXPECT_EQ(changes, 0);
}

TEST_F(HexViewContractTest, SetDataClearsTheSelection) {
    set({1, 2, 3});
    key(Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(view.editCursor().hasSelection());
    set({4, 5});
    EXPECT_FALSE(view.editCursor().hasSelection());
}

TEST_F(HexViewContractTest, GetDataCopiesAtMostTheLengthAndOtherwiseReportsIt) {
    set({7, 8, 9});
    Bytes out(8, 0xEE);
    EXPECT_EQ(control().getData(out.data(), out.size()), 3u);
    EXPECT_EQ(out, (Bytes{7, 8, 9, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    EXPECT_EQ(control().getData(out.data(), 2), 2u);
    EXPECT_EQ(control().getData(nullptr, 0), 3u);
    EXPECT_EQ(control().getData(nullptr, 8), 3u);
    EXPECT_EQ(control().getData(out.data(), 0), 3u);
}

TEST_F(HexViewContractTest, EmptyBufferHasLengthAndSumZero) {
    EXPECT_EQ(control().length(), 0u);
    EXPECT_EQ(control().getData(nullptr, 0), 0u);
    EXPECT_EQ(control().sum(), 0u);
}

TEST_F(HexViewContractTest, FullBufferOfErasedBytesSumsPast16Bits) {
    control().setCapacity(0x40000);
    set(Bytes(0x40000, 0xFF));
    EXPECT_EQ(control().length(), 0x40000u);
    EXPECT_EQ(control().sum(), 0x3FC0000u);
    EXPECT_EQ(control().sum() & 0xFFFF, 0u);
}

TEST_F(HexViewContractTest, SetCapacityCutsALongerBufferAndNotifiesOnlyThen) {
    set({1, 2, 3, 4, 5, 6});
    EXPECT_EQ(control().setCapacity(8), 8u);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(control().setCapacity(4), 4u);
    EXPECT_EQ(bytes(), (Bytes{1, 2, 3, 4}));
    EXPECT_EQ(changes, 1);
    type("AA");
    EXPECT_EQ(bytes(), (Bytes{0xAA, 2, 3, 4})) << "editing goes on after the cut";
}

TEST_F(HexViewContractTest, ClearAllNotifiesOnlyWhenItHeldData) {
    control().clearAll();
    EXPECT_EQ(changes, 0);
    set({1, 2});
    control().clearAll();
    EXPECT_EQ(control().length(), 0u);
    EXPECT_EQ(changes, 1);
    control().clearAll();
    EXPECT_EQ(changes, 1);
}

TEST_F(HexViewContractTest, SetLayoutChangesTheRowLength) {
    set(Bytes(64, 0));
    EXPECT_EQ(control().setLayout(8, 6), 8u);
    EXPECT_EQ(control().setLayout(0, 0), 8u);
    EXPECT_EQ(view.hexLayout().addressDigits(), 6u);
    key(Qt::Key_Down);
    EXPECT_EQ(view.editCursor().position(), 8u);
    EXPECT_EQ(control().setLayout(1000, 1000), 256u);
    EXPECT_EQ(view.hexLayout().addressDigits(), 16u);
}

TEST_F(HexViewContractTest, FontHeightSetsTheLineHeight) {
    const int initial = view.hexLayout().lineHeight();
    control().setFontHeight(30);
    const int tall = view.hexLayout().lineHeight();
    control().setFontHeight(10);
    EXPECT_GT(tall, view.hexLayout().lineHeight());
    control().setFontHeight(0);
    EXPECT_EQ(view.hexLayout().lineHeight(), initial);
}

// Slots 0, 2, 4 and 6 are backgrounds, so the owner's mask 0x55 greys the view and leaves
// the text colours alone.
TEST_F(HexViewContractTest, ColorMaskBitsPickTheSlots) {
    set({0x88, 0x88, 0x88, 0x88});
    control().setLayout(4, 4);
    constexpr std::uint32_t grey = 0xC8C8C8;
    constexpr std::uint32_t red = 0xFF0000;
    const HexViewControl::Colors colors = {grey, red, grey, red, grey, red, grey, red};
    const auto render = [this] {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        return image;
    };
    const auto redPixels = [](const QImage& image) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                count += qRed(pixel) > 180 && qGreen(pixel) < 100 && qBlue(pixel) < 100;
            }
        }
        return count;
    };
    const HexLayout& layout = view.hexLayout();

    control().setColors(0x55, colors);
    QImage image = render();
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, grey) << "address column";
    EXPECT_EQ(image.pixel(layout.hexAreaX() + 1, 1) & 0xFFFFFF, grey) << "hex column";
    EXPECT_EQ(image.pixel(layout.lineWidth() - 1, 1) & 0xFFFFFF, grey) << "ASCII column";
    EXPECT_EQ(image.pixel(image.width() - 1, image.height() - 1) & 0xFFFFFF, grey) << "outside";
    EXPECT_EQ(redPixels(image), 0);

    control().setColors(1u << HexViewControl::kAddressText, colors);
    image = render();
    EXPECT_GT(redPixels(image.copy(0, 0, layout.hexAreaX(), image.height())), 0);
    EXPECT_EQ(redPixels(image.copy(layout.hexAreaX(), 0, image.width(), image.height())), 0);
}

// Fonts often advance by fractions of a pixel; a row must still end inside its column.
TEST_F(HexViewContractTest, RowsKeepEveryCharacterInItsCell) {
    // 'W' has ink across its whole cell, even in the smallest font.
    set(Bytes(16, 'W'));
    control().setLayout(16, 8);
    const HexLayout& layout = view.hexLayout();
    for (const int height : {10, 13, 14}) {
        control().setFontHeight(height);
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        const auto inkBetween = [&](int left, int right) {
            for (int x = left; x < right; ++x) {
                for (int y = 0; y < layout.lineHeight(); ++y) {
                    if (qGray(image.pixel(x, y)) < 128) {
                        return true;
                    }
                }
            }
            return false;
        };
        EXPECT_TRUE(inkBetween(layout.hexX(15), layout.hexX(15) + 2 * layout.charWidth()));
        EXPECT_FALSE(inkBetween(layout.hexX(15) + 2 * layout.charWidth(), layout.asciiX(0)))
            << "hex digits spill past their column at height " << height;
        EXPECT_TRUE(inkBetween(layout.asciiX(15), layout.asciiX(16)));
        EXPECT_FALSE(inkBetween(layout.asciiX(16), layout.lineWidth()))
            << "characters spill past their column at height " << height;
    }
}

TEST(HexEditModuleTest, RegistersTheWindowClassAndCreatesTheView) {
    QPluginLoader loader(QStringLiteral(HALDEN_BIN_DIR "/HexEdit.so"));
    auto* windowClass = qobject_cast<WindowClass*>(loader.instance());
    ASSERT_NE(windowClass, nullptr) << loader.errorString().toStdString();
    EXPECT_STREQ(windowClass->className(), "HEXEDIT10");

    QWidget parent;
    HexViewControl* control = windowClass->create(&parent);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->widget()->parent(), &parent);
    EXPECT_TRUE(control->widget()->inherits("halden::HexView"));
    const Bytes bytes = {1, 2, 3};
    EXPECT_EQ(control->setData(bytes.data(), bytes.size()), 3u);
    EXPECT_EQ(control->sum(), 6u);
}

} // namespace
} // namespace halden
