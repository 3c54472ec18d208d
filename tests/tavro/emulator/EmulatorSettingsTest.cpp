#include "tavro/emulator/EmulatorSettings.h"

#include <gtest/gtest.h>

namespace halden {
namespace {

using Fault = EmulatorSettings::Fault;

TEST(EmulatorSettings, EmptyTextAndOneMeanTheDefaults) {
    for (const char* text : {"", "1"}) {
        std::string error;
        const auto settings = EmulatorSettings::parse(text, &error);
        ASSERT_TRUE(settings) << error;
        EXPECT_EQ(settings->target, "RQD-1");
        EXPECT_EQ(settings->millivolts, 3300);
        EXPECT_TRUE(settings->currentFirmware);
        EXPECT_EQ(settings->mode, EmulatorSettings::Mode::Normal);
        EXPECT_TRUE(settings->offline);
        EXPECT_EQ(settings->latency, EmulatorSettings::Latency::None);
        EXPECT_TRUE(settings->stateDir.empty());
        EXPECT_TRUE(settings->faults.empty());
    }
}

TEST(EmulatorSettings, ReadsEverySetting) {
    std::string error;
    const auto settings = EmulatorSettings::parse(
        "target=none,voltage=0x708,firmware=old,mode=0FFF,offline=0,latency=usb-fs,"
        "state=/tmp/emu,fault=drop:0x19,fault=drop,fault=tag:35,fault=status:0x0D:4,"
        "fault=refuse:5,fault=unplug:7,fault=bootswap",
        &error);
    ASSERT_TRUE(settings) << error;
    EXPECT_FALSE(settings->target);
    EXPECT_EQ(settings->millivolts, 1800);
    EXPECT_FALSE(settings->currentFirmware);
    EXPECT_EQ(settings->mode, EmulatorSettings::Mode::Recovery);
    EXPECT_FALSE(settings->offline);
    EXPECT_EQ(settings->latency, EmulatorSettings::Latency::UsbFullSpeed);
    EXPECT_EQ(settings->stateDir, "/tmp/emu");
    ASSERT_EQ(settings->faults.size(), 7u);
    const auto& f = settings->faults;
    EXPECT_EQ(f[0].kind, Fault::Kind::Drop);
    EXPECT_EQ(f[0].command, 0x19);
    EXPECT_FALSE(f[1].command); // every command
    EXPECT_TRUE(f[1].appliesTo(0x25));
    EXPECT_FALSE(f[0].appliesTo(0x25));
    EXPECT_EQ(f[2].kind, Fault::Kind::WrongTag);
    EXPECT_EQ(f[2].command, 0x23);
    EXPECT_EQ(f[3].kind, Fault::Kind::Status);
    EXPECT_EQ(f[3].command, 0x0D);
    EXPECT_EQ(f[3].value, 4u);
    EXPECT_EQ(f[4].kind, Fault::Kind::Refuse);
    EXPECT_EQ(f[4].value, 5u);
    EXPECT_EQ(f[5].kind, Fault::Kind::Unplug);
    EXPECT_EQ(f[5].value, 7u);
    EXPECT_EQ(f[6].kind, Fault::Kind::BootSwap);

    const auto modes = EmulatorSettings::parse("mode=0331", &error);
    ASSERT_TRUE(modes);
    EXPECT_EQ(modes->mode, EmulatorSettings::Mode::NeedsFirmware);
    EXPECT_EQ(EmulatorSettings::parse("mode=boot", &error)->mode,
              EmulatorSettings::Mode::BootLoader);

    const auto boot =
        EmulatorSettings::parse("fault=refuse:1:2,fault=restart:refuse,fault=restart:stay", &error);
    ASSERT_TRUE(boot) << error;
    ASSERT_EQ(boot->faults.size(), 3u);
    EXPECT_EQ(boot->faults[0].value, 1u);
    EXPECT_EQ(boot->faults[0].times, 2u);
    EXPECT_FALSE(settings->faults[4].times);
    EXPECT_EQ(boot->faults[1].kind, Fault::Kind::Restart);
    EXPECT_EQ(boot->faults[1].value, Fault::kRestartRefused);
    EXPECT_EQ(boot->faults[2].value, Fault::kRestartStays);
}

TEST(EmulatorSettings, ReadsTheOfflineStoreFaults) {
    std::string error;
    const auto settings = EmulatorSettings::parse("fault=corrupt:0x10,fault=closefail", &error);
    ASSERT_TRUE(settings) << error;
    ASSERT_EQ(settings->faults.size(), 2u);
    EXPECT_EQ(settings->faults[0].kind, Fault::Kind::Corrupt);
    EXPECT_EQ(settings->faults[0].value, 0x10u);
    EXPECT_EQ(settings->faults[1].kind, Fault::Kind::CloseFail);
    for (const char* bad : {"fault=corrupt", "fault=corrupt:x", "fault=closefail:1"}) {
        EXPECT_FALSE(EmulatorSettings::parse(bad, &error)) << bad;
    }
}

TEST(EmulatorSettings, ReadsTheBadReportFaultWithOrWithoutItsCommand) {
    std::string error;
    const auto settings = EmulatorSettings::parse("fault=badreport:0x23,fault=badreport", &error);
    ASSERT_TRUE(settings) << error;
    ASSERT_EQ(settings->faults.size(), 2u);
    EXPECT_EQ(settings->faults[0].kind, Fault::Kind::BadReport);
    EXPECT_TRUE(settings->faults[0].appliesTo(0x23));
    EXPECT_FALSE(settings->faults[0].appliesTo(0x25));
    EXPECT_TRUE(settings->faults[1].appliesTo(0x25));
    for (const char* bad : {"fault=badreport:", "fault=badreport:0x100", "fault=badreport:1:2"}) {
        EXPECT_FALSE(EmulatorSettings::parse(bad, &error)) << bad;
    }
}

TEST(EmulatorSettings, RejectsWhatItCannotTakeAndNamesIt) {
    const char* bad[] = {
        "voltage=70000",  "voltage=",         "voltage=3v3",      "mode=fast",
        "firmware=new",   "offline=2",        "latency=1",        "latency=usb-hs",
        "target=",        "state=",           "colour=red",       "voltage",
        "fault=nope",     "fault=status:13",  "fault=drop:300",   "fault=tag",
        "fault=refuse:x", "fault=unplug",     "fault=bootswap:1", "fault=status:13:4:1",
        "voltage=3300,,", "fault=drop:0x",    "fault=refuse:1:x", "fault=refuse:1:2:3",
        "fault=restart",  "fault=restart:go",
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(EmulatorSettings::parse(text, &error)) << text;
        EXPECT_NE(error.find("TAVRO_EMULATOR"), std::string::npos) << text;
    }
}

} // namespace
} // namespace halden
