#include <gtest/gtest.h>

#include <stdexcept>

#include "tools/usbharness/harnessoptions.h"

using namespace corvane;

TEST(HarnessOptions, EveryOptionAndTheCommandAfterTheSeparator) {
    const HarnessOptions o = ParseHarnessOptions(
        {"--slaves", "0", "--decoy", "1234:abcd", "--decoy", "16C0:05dc:Acme:CORVANE: Intercom", "--no-unit",
         "--trace", "t.txt", "--script", "s.txt", "--unplug-after-transfers", "40", "--unplug-after-ms",
         "900", "--", "corvane", "--", "--slaves"});
    EXPECT_EQ(o.slaves, 0);
    EXPECT_FALSE(o.unit);
    ASSERT_EQ(o.decoys.size(), 2u);
    EXPECT_EQ(o.decoys[0].vendor, 0x1234);
    EXPECT_EQ(o.decoys[0].product, 0xABCD);
    EXPECT_EQ(o.decoys[0].manufacturer, "other.example");
    EXPECT_EQ(o.decoys[1].vendor, 0x16C0);
    EXPECT_EQ(o.decoys[1].manufacturer, "Acme");
    EXPECT_EQ(o.decoys[1].productName, "CORVANE: Intercom");  // the product keeps its colons
    EXPECT_EQ(o.tracePath, "t.txt");
    EXPECT_EQ(o.scriptPath, "s.txt");
    EXPECT_EQ(o.unplugAfterTransfers, 40);
    EXPECT_EQ(o.unplugAfterMs, 900);
    EXPECT_EQ(o.command, (std::vector<std::string>{"corvane", "--", "--slaves"}));

    const HarnessOptions d = ParseHarnessOptions({"--", "true"});
    EXPECT_EQ(d.slaves, 3);
    EXPECT_TRUE(d.unit);
    EXPECT_EQ(d.unplugAfterTransfers, -1);
    EXPECT_EQ(d.unplugAfterMs, -1);
}

TEST(HarnessOptions, BadArgumentsAreRefusedWithTheReason) {
    const std::vector<std::vector<std::string>> cases = {
        {"--slaves", "4", "--", "x"},
        {"--slaves", "-1", "--", "x"},
        {"--slaves"},
        {"--decoy", "1234", "--", "x"},
        {"--decoy", "12345:1", "--", "x"},
        {"--decoy", "zz:1", "--", "x"},
        {"--unplug-after-ms", "1e3", "--", "x"},
        {"--verbose", "--", "x"},
        {"--slaves", "1"},
        {"--"},
    };
    for (const auto& args : cases) {
        EXPECT_THROW(ParseHarnessOptions(args), std::invalid_argument) << args[0];
    }
}
