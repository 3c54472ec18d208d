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

} // namespace
} // namespace halden
