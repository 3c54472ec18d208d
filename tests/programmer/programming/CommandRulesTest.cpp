#include "adapter/wire/AdapterCommand.h"
#include "adapter/wire/AdapterReply.h"
#include "adapter/wire/CommandBlock.h"
#include "adapter/wire/IceLayout.h"
#include "adapter/wire/RequestTag.h"
#include "programmer/programming/ReplyRules.h"

#include <gtest/gtest.h>

#include <vector>

namespace halden {
namespace {

using Notice = ReplyRules::Notice;
using Step = ReplyRules::Step;

AdapterReply reply(std::uint8_t tag, std::uint16_t status, std::uint16_t millivolts = 0) {
    return {tag, status, millivolts};
}

TEST(CommandBlock, PreparesADataCommandByteForByte) {
    std::vector<std::uint8_t> ice(IceLayout::kSize, 0xEE);
    const std::vector<std::uint8_t> data = {0xFF, 0xFF, 0x03};
    const auto sum = CommandBlock::dataChecksum(data);
    EXPECT_EQ(sum, 0x0201);
    ASSERT_TRUE(CommandBlock::prepareDataCommand(ice, CMD_PROGRAM_OPTIONS, 0x01020304, sum));
    const std::vector<std::uint8_t> head = {0x1A, 0xEE, 0xEE, 0xEE, 0,    0,    0, 0,
                                            0x04, 0x03, 0x02, 0x01, 0x01, 0x02, 0, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(ice.begin(), ice.begin() + 16), head);
    EXPECT_TRUE(std::all_of(ice.begin() + 14, ice.begin() + 140, [](auto b) { return b == 0; }));
    EXPECT_EQ(ice[140], 0xEE);
    ASSERT_TRUE(CommandBlock::setParameters(ice, 0x24, 0x00));
    ASSERT_TRUE(CommandBlock::setTag(ice, 0x9C));
    EXPECT_EQ(ice[12], 0x24);
    EXPECT_EQ(ice[13], 0x00);
    EXPECT_EQ(ice[0x4021B], 0x9C);

    std::vector<std::uint8_t> shortBlock(IceLayout::kTag, 0xEE);
    EXPECT_FALSE(CommandBlock::prepareDataCommand(shortBlock, 0x19, 1, 1));
    EXPECT_FALSE(CommandBlock::setTag(shortBlock, 1));
    EXPECT_TRUE(
        std::all_of(shortBlock.begin(), shortBlock.end(), [](auto b) { return b == 0xEE; }));

    std::vector<std::uint8_t> big(70000, 0xFF);
    EXPECT_EQ(CommandBlock::dataChecksum(big), (70000u * 255u) & 0xFFFF);
    EXPECT_EQ(CommandBlock::dataChecksum({}), 0);
}

TEST(RequestTag, CombinesTickAndRandomNumberModulo256) {
    struct Case {
        std::uint32_t tick;
        int random;
        std::uint8_t tag;
    };
    for (const Case c : {Case{0x1234, 0x7FFF, 0xCC}, Case{256, 12345, 0}, Case{3, 5, 15},
                         Case{255, 255, 1}, Case{0xFFFFFFFF, 0x101, 0xFF}}) {
        EXPECT_EQ(RequestTag::combine(c.tick, c.random), c.tag) << c.tick << " " << c.random;
    }
}

TEST(AdapterReply, ReadsTheReplyAndNeedsSixBytes) {
    const std::vector<std::uint8_t> bytes = {0x5A, 0xAA, 0x02, 0x00, 0x17, 0x07};
    const auto parsed = AdapterReply::parse(bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->tag, 0x5A);
    EXPECT_EQ(parsed->status, 2);
    EXPECT_EQ(parsed->millivolts, 1815);
    EXPECT_FALSE(AdapterReply::parse(std::span(bytes).first(5)));
}

TEST(ReplyRules, VoltageBoundariesFallWhereTheSinglePrecisionFactorPutsThem) {
    struct Case {
        std::uint16_t millivolts;
        bool commandSpeaks; // 1.8 V to 5.5 V silent
        bool targetSpeaks;  // 2.0 V to 3.6 V silent
    };
    const Case cases[] = {{0, true, true},     {1799, true, true},   {1800, false, true},
                          {1999, false, true}, {2000, false, false}, {3599, false, false},
                          {3600, false, true}, {5499, false, true},  {5500, true, true},
                          {65535, true, true}};
    for (const auto& c : cases) {
        const auto data = ReplyRules::dataCommand(0, reply(7, 2, c.millivolts), 7);
        EXPECT_FALSE(data.success);
        EXPECT_EQ(data.notice == Notice::VoltageOutOfRange, c.commandSpeaks) << c.millivolts;
        const auto erase = ReplyRules::eraseChip(0, reply(7, 2, c.millivolts), 7);
        EXPECT_EQ(erase.result, 21);
        EXPECT_EQ(erase.notice == Notice::VoltageOutOfRange, c.commandSpeaks) << c.millivolts;
        const auto open = ReplyRules::openTarget(0, reply(7, 2, c.millivolts), 7);
        EXPECT_EQ(open.step, Step::Stop);
        EXPECT_EQ(open.notice == Notice::VoltageOutOfRange, c.targetSpeaks) << c.millivolts;
    }
}

TEST(ReplyRules, JudgesEachStatusOfEachCommand) {
    struct Case {
        std::uint16_t status;
        bool dataSuccess;
        Notice dataNotice;
        int eraseResult;
        Notice eraseNotice;
        Step openStep;
        Notice openNotice;
        Step checkStep;
        Notice checkNotice;
    };
    const Case cases[] = {
        {0, true, Notice::None, 0, Notice::None, Step::Proceed, Notice::None, Step::Proceed,
         Notice::None},
        {1, false, Notice::ChecksumMismatch, 21, Notice::ChecksumMismatch, Step::Stop,
         Notice::ChecksumMismatch, Step::Stop, Notice::ChecksumMismatch},
        {3, false, Notice::NoResponse, 21, Notice::NoResponse, Step::Stop, Notice::NoResponse,
         Step::Stop, Notice::NoResponse},
        {4, false, Notice::None, 21, Notice::EraseFailed, Step::Stop, Notice::UnknownStatus,
         Step::Stop, Notice::None},
        {5, false, Notice::None, 21, Notice::EraseFailed, Step::Stop, Notice::UnknownStatus,
         Step::Stop, Notice::WrongTarget},
        {6, false, Notice::None, 21, Notice::EraseFailed, Step::Stop, Notice::UnknownStatus,
         Step::Proceed, Notice::None},
        {0x100, false, Notice::None, 21, Notice::EraseFailed, Step::Stop, Notice::UnknownStatus,
         Step::Stop, Notice::None},
    };
    for (const auto& c : cases) {
        const auto r = reply(0x33, c.status, 3300);
        const auto data = ReplyRules::dataCommand(0, r, 0x33);
        EXPECT_EQ(data.success, c.dataSuccess) << c.status;
        EXPECT_EQ(data.notice, c.dataNotice) << c.status;
        const auto erase = ReplyRules::eraseChip(0, r, 0x33);
        EXPECT_EQ(erase.result, c.eraseResult) << c.status;
        EXPECT_EQ(erase.notice, c.eraseNotice) << c.status;
        const auto open = ReplyRules::openTarget(0, r, 0x33);
        EXPECT_EQ(open.step, c.openStep) << c.status;
        EXPECT_EQ(open.notice, c.openNotice) << c.status;
        const auto check = ReplyRules::checkTarget(0, r, 0x33);
        EXPECT_EQ(check.step, c.checkStep) << c.status;
        EXPECT_EQ(check.notice, c.checkNotice) << c.status;
    }
}

TEST(ReplyRules, NoFittingReplyIsSilentExceptPlatformError13OnCheckTarget) {
    struct Case {
        int read;
        std::optional<AdapterReply> reply;
    };
    const Case cases[] = {
        {0, reply(0x34, 0)}, {258, std::nullopt}, {1167, std::nullopt}, {0, std::nullopt}};
    for (const auto& c : cases) {
        EXPECT_EQ(ReplyRules::dataCommand(c.read, c.reply, 0x33).success, false);
        EXPECT_EQ(ReplyRules::dataCommand(c.read, c.reply, 0x33).notice, Notice::None);
        EXPECT_EQ(ReplyRules::eraseChip(c.read, c.reply, 0x33).result, 13);
        EXPECT_EQ(ReplyRules::eraseChip(c.read, c.reply, 0x33).notice, Notice::None);
        EXPECT_EQ(ReplyRules::openTarget(c.read, c.reply, 0x33).step, Step::NoReply);
        EXPECT_EQ(ReplyRules::openTarget(c.read, c.reply, 0x33).notice, Notice::None);
        EXPECT_EQ(ReplyRules::checkTarget(c.read, c.reply, 0x33).step, Step::NoReply);
        EXPECT_EQ(ReplyRules::checkTarget(c.read, c.reply, 0x33).notice, Notice::None);
    }
    const auto missing = ReplyRules::checkTarget(13, std::nullopt, 0x33);
    EXPECT_EQ(missing.step, Step::NoReply);
    EXPECT_EQ(missing.notice, Notice::TargetMissing);
}

} // namespace
} // namespace halden
