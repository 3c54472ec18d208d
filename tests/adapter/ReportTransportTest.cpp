#include "adapter/ReportTransport.h"
#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/CommandBlock.h"
#include "adapter/wire/IceLayout.h"
#include "tests/programmer/programming/LinkFixture.h"

namespace halden {
namespace {

using test::LinkTest;
using test::RecordingHandle;

TEST_F(LinkTest, DataOf129BytesGoesOutAs128ThenOnePlus127Zeros) {
    plug("");
    RecordingHandle recorder(handle());
    HidDeviceObject device = *link.HidDevice;
    device.handle = &recorder;

    std::vector<std::uint8_t> data(129);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i + 1);
    }
    CommandBlock::prepareDataCommand({link.Ice, IceLayout::kSize}, CMD_STORE_PROJECT_CODE, 129,
                                     CommandBlock::dataChecksum(data));
    CommandBlock::setTag({link.Ice, IceLayout::kSize}, 0x3D);
    ASSERT_EQ(link.ICE_Write(), 0);
    ASSERT_TRUE(ReportTransport::SendDataPhase(device, data, observer));

    ASSERT_EQ(recorder.features.size(), 2u);
    std::vector<std::uint8_t> first(129, 0);
    std::copy_n(data.begin(), 128, first.begin() + 1);
    std::vector<std::uint8_t> second(129, 0);
    second[1] = 129;
    EXPECT_EQ(recorder.features[0], first);
    EXPECT_EQ(recorder.features[1], second);
    EXPECT_EQ(observer.percents, (std::vector<int>{99, 100, 100, -1}));
    EXPECT_EQ(observer.eventRounds, 2);

    std::array<std::uint8_t, 64> reply{};
    EXPECT_EQ(ReportTransport::ReadReply(device, reply), 0);
    EXPECT_EQ(reply[0], 0x3D);
    EXPECT_EQ(reply[2], 0); // status 0: the adapter got all 129 bytes with their sum
    EXPECT_EQ(recorder.timeouts, std::vector<int>{4000});
    EXPECT_EQ(recorder.cancels, 0);
}

TEST_F(LinkTest, ReadReplyCopiesWhatFitsAndCancelsOnlyOnTimeOut) {
    plug("");
    RecordingHandle recorder(handle());
    HidDeviceObject device = *link.HidDevice;
    device.handle = &recorder;

    CommandBlock::setTag({link.Ice, IceLayout::kSize}, 0x21);
    link.Ice[IceLayout::kParameter0] = 0x14; // RQD-1's parameter bytes
    link.Ice[IceLayout::kParameter1] = 0x24;
    ASSERT_EQ(link.ICE_Send_Command(CMD_OPEN_TARGET, 1), 0);
    std::array<std::uint8_t, 4> small{9, 9, 9, 9};
    EXPECT_EQ(ReportTransport::ReadReply(device, small), 0);
    EXPECT_EQ(small, (std::array<std::uint8_t, 4>{0x21, 0, 0, 0}));

    HidDeviceObject none{};
    EXPECT_EQ(ReportTransport::ReadReply(none, small), ReportTransport::kNoHandle);
    EXPECT_TRUE(ReportTransport::SendDataPhase(none, small, observer));
    EXPECT_EQ(observer.percents, (std::vector<int>{100, -1}));

    // The adapter is unplugged under the transport: the read fails with the platform's
    // error at once instead of waiting.
    ASSERT_EQ(link.ICE_Send_Command(CMD_ENTER_BOOTLOADER, 1), 0); // wrong parameters: stays
    link.Ice[12] = kEnterBootloaderParameter0;
    link.Ice[13] = kEnterBootloaderParameter1;
    ASSERT_EQ(link.ICE_Send_Command(CMD_ENTER_BOOTLOADER, 1), 0);
    EXPECT_EQ(ReportTransport::ReadReply(device, small), HidHandle::kDeviceGone);
    EXPECT_EQ(recorder.cancels, 0);
}

} // namespace
} // namespace halden
