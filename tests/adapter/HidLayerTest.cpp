#include "adapter/hid/HidDevicePath.h"
#include "adapter/hid/HidReportDescriptor.h"
#include "adapter/hid/InputReportCheck.h"

#include <gtest/gtest.h>

#include <vector>

namespace halden {
namespace {

using Bytes = std::vector<std::uint8_t>;

// A vendor-defined adapter: 64-byte input and output reports and a 128-byte feature
// report, without report IDs.
const Bytes kAdapter = {
    0x06, 0x00, 0xFF,                         // usage page (vendor)
    0x09, 0x01,                               // usage
    0xA1, 0x01,                               // collection (application)
    0x15, 0x00, 0x26, 0xFF, 0x00,             // logical 0..255
    0x75, 0x08,                               // report size 8
    0x95, 0x40, 0x09, 0x01, 0x81, 0x02,       // 64 x input
    0x95, 0x40, 0x09, 0x02, 0x91, 0x02,       // 64 x output
    0x96, 0x80, 0x00, 0x09, 0x03, 0xB1, 0x02, // 128 x feature (two-byte count)
    0xC0,                                     // end collection
};

TEST(HidReportDescriptor, TakesTheLongestReportOfEachTypeWithItsIdByte) {
    const auto lengths = HidReportDescriptor::reportLengths(kAdapter);
    ASSERT_TRUE(lengths);
    EXPECT_EQ(lengths->input, 65u);
    EXPECT_EQ(lengths->output, 65u);
    EXPECT_EQ(lengths->feature, 129u);
    EXPECT_FALSE(lengths->numbered);

    // Numbered reports: report 1 has 10 bytes of input, report 2 has 3 bits (one byte);
    // push and pop keep the report size across a numbered report.
    const Bytes numbered = {0x75, 0x08, 0x85, 0x01, 0x95, 0x0A, 0x81, 0x02,
                            0xA4, // push
                            0x85, 0x02, 0x75, 0x01, 0x95, 0x03, 0x81, 0x02,
                            0xB4,                          // pop
                            0x95, 0x02, 0xB1, 0x02,        // 2 bytes feature in report 1
                            0xFE, 0x02, 0x10, 0xAA, 0xBB}; // a long item, skipped
    const auto ids = HidReportDescriptor::reportLengths(numbered);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->input, 11u);
    EXPECT_EQ(ids->feature, 3u);
    EXPECT_EQ(ids->output, 0u);
    EXPECT_TRUE(ids->numbered);
}

TEST(HidReportDescriptor, RefusesDescriptorsThatRunOffOrOverflow) {
    const Bytes cases[] = {
        {0x75},                                                 // item data missing
        {0x27, 0xFF, 0xFF},                                     // four-byte item with two bytes
        {0xFE, 0x05, 0x10, 0x00},                               // long item longer than the rest
        {0xFE},                                                 // long item without its size
        {0xB4},                                                 // pop without push
        {0x75, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0x7F, 0x81, 0x02}, // a report of 2^31 x 255 bits
    };
    for (const auto& bytes : cases) {
        EXPECT_FALSE(HidReportDescriptor::reportLengths(bytes)) << bytes.size();
    }
    Bytes deep(17, 0xA4);
    EXPECT_FALSE(HidReportDescriptor::reportLengths(deep)) << "push beyond the stack";
    EXPECT_TRUE(HidReportDescriptor::reportLengths(Bytes{}));
}

// What the hidapi handle expects of an input report, from the device's descriptor: the
// ID and length of its input report. Anything else makes readInput give 13.
TEST(InputReportCheck, ExpectsTheDeclaredInputReportsIdAndLength) {
    struct Case {
        const char* name;
        std::uint32_t id;
        std::size_t length; // ID byte counted
        std::string problem;
    };
    const auto adapter = HidReportDescriptor::reportLengths(kAdapter);
    ASSERT_TRUE(adapter);
    EXPECT_EQ(adapter->inputId, 0u);
    const InputReportCheck unnumbered(*adapter);
    const Case cases[] = {
        {"the reply", 0, 65, ""},
        {"short", 0, 64, "the data is invalid: an input report of 64 bytes came, not 65"},
        {"long", 0, 66, "the data is invalid: an input report of 66 bytes came, not 65"},
        {"another ID", 1, 65, "the data is invalid: input report 1 came, not report 0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unnumbered.problem(c.id, c.length), c.problem) << c.name;
    }

    // Numbered: report 2 has ten bytes of input, report 1 one byte; the longer one counts.
    const Bytes numbered = {0x75, 0x08, 0x85, 0x01, 0x95, 0x01, 0x81,
                            0x02, 0x85, 0x02, 0x95, 0x0A, 0x81, 0x02};
    const auto ids = HidReportDescriptor::reportLengths(numbered);
    ASSERT_TRUE(ids);
    EXPECT_EQ(ids->inputId, 2u);
    const InputReportCheck two(*ids);
    EXPECT_EQ(two.problem(2, 11), "");
    EXPECT_EQ(two.problem(1, 2), "the data is invalid: input report 1 came, not report 2");
    EXPECT_EQ(two.problem(2, 2), "the data is invalid: an input report of 2 bytes came, not 11");
}

TEST(HidDevicePath, FormsAndReadsTheSystemsPaths) {
    const auto path = HidDevicePath::format(0x2E7B, 0x0FFF, "7&1a&0&0000");
    EXPECT_EQ(path,
              "\\\\?\\HID#Vid_2e7b&Pid_0fff#7&1a&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}");
    EXPECT_EQ(HidDevicePath::productId(path, 0x2E7B), 0x0FFF);
    EXPECT_EQ(HidDevicePath::productId("\\\\?\\hid#vid_2E7B&PID_030B#x", 0x2E7B), 0x030B);
    EXPECT_FALSE(HidDevicePath::productId(path, 0x1234));
    EXPECT_FALSE(HidDevicePath::productId("\\\\?\\HID#Vid_2e7b&Pid_03", 0x2E7B));
    EXPECT_FALSE(HidDevicePath::productId("\\\\?\\USB#Vid_2e7b&Pid_0325#x", 0x2E7B));
    EXPECT_FALSE(HidDevicePath::productId("\\\\?\\HID#Vid_2e7b&Pid_03g5#x", 0x2E7B));
}

} // namespace
} // namespace halden
