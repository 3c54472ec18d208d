#include "HaldenCli.h"

#include <gtest/gtest.h>

#include <sstream>

namespace halden {
namespace {

struct CliResult {
    int code;
    std::string out;
    std::string err;
};

CliResult run(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    HaldenCli cli(out, err);
    const int code = cli.run(arguments);
    return {code, out.str(), err.str()};
}

TEST(HaldenCli, HelpVersionAndUsageErrors) {
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.code, HaldenCli::kSuccess);
    EXPECT_NE(help.out.find("Usage: halden"), std::string::npos);

    const CliResult version = run({"--version"});
    EXPECT_EQ(version.code, HaldenCli::kSuccess);
    EXPECT_EQ(version.out, "halden 1.13.0.0\n");

    const CliResult unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.code, HaldenCli::kUsage);
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);

    EXPECT_EQ(run({}).code, HaldenCli::kUsage);
}

TEST(HaldenCli, PartsListsTheCatalogue) {
    const CliResult text = run({"parts"});
    EXPECT_EQ(text.code, HaldenCli::kSuccess);
    EXPECT_NE(text.out.find("   36  RQD-1  RQ-Delta Series    0x18000       128"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("RQE-6"), std::string::npos);

    const CliResult json = run({"parts", "--json"});
    EXPECT_EQ(json.code, HaldenCli::kSuccess);
    EXPECT_EQ(json.out.rfind("[{\"index\":36,\"name\":\"RQD-1\",\"series\":4,"
                             "\"seriesName\":\"RQ-Delta Series\",\"flashSize\":98304,"
                             "\"optionCount\":128,\"chipId\":",
                             0),
              0u)
        << json.out;
    EXPECT_NE(json.out.find("\"chipIdMask\":4294967295,\"parameterBytes\":[20,36,14]}]"),
              std::string::npos);
}

TEST(HaldenCli, OptionsBuildTheBytesFromTheBoxes) {
    const CliResult lock = run({"options", "--part", "rqd-1", "--set", "LOCK=on", "--json"});
    ASSERT_EQ(lock.code, HaldenCli::kSuccess) << lock.err;
    const auto bytesAt = lock.out.find("\"optionBytes\":\"");
    ASSERT_NE(bytesAt, std::string::npos);
    const std::string bytes = lock.out.substr(bytesAt + 15, 256);
    EXPECT_EQ(bytes.substr(0, 4), "5555");     // B[0], B[1]
    EXPECT_EQ(bytes.substr(16 * 2, 2), "83");  // B[16]
    EXPECT_EQ(bytes.substr(20 * 2, 2), "7C");  // B[20]
    EXPECT_EQ(bytes.substr(124 * 2, 2), "FF"); // NOT B[112]
    EXPECT_NE(lock.out.find("{\"label\":\"LOCK\",\"enabled\":true,\"ticked\":true}"),
              std::string::npos);

    const CliResult epsilon = run({"options", "--part", "RQE-2", "--set=nrst_stop=on", "--json"});
    EXPECT_NE(epsilon.out.find("\"optionBytes\":\"A55AFD02FF00"), std::string::npos) << epsilon.out;
}

TEST(HaldenCli, OptionsUsageErrorsNameTheChoices) {
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{"options", "--part", "RQX-1"}, "unknown part 'RQX-1'; choose one of: RQD-1, RQD-2"},
        {{"options", "--part", "RQE-1", "--set", "LOCK=on"},
         "has no option 'LOCK'; choose one of: RDP, WRP, WDG_SW, nRST_STOP, nRST_STDBY"},
        {{"options", "--part", "RQE-1", "--set", "RDP=yes"}, "LABEL=on or LABEL=off"},
        {{"options"}, "--part NAME is required"},
        {{"options", "--part"}, "needs a value"},
        {{"parts", "--verbose"}, "unknown option --verbose"},
    };
    for (const auto& c : cases) {
        const CliResult result = run(c.arguments);
        EXPECT_EQ(result.code, HaldenCli::kUsage) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
}

} // namespace
} // namespace halden
