// The number printer: groups of three digits with their leading zeros.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "cvstat/number_printer.h"
#include "platform/host_text.h"
#include "tests/support/capture_output.h"

namespace {

TEST(CvstatNumberPrinter, GroupsOfThreeDigitsWithLeadingZeros) {
    struct Case {
        std::uint64_t value;
        const char16_t* expected;
    };
    for (const Case& c : {
             Case{0, u"0"},
             Case{7, u"007"},
             Case{999, u"999"},
             Case{1000, u"001,000"},
             Case{1001, u"001,001"},
             Case{8192, u"008,192"},
             Case{65536, u"065,536"},
             Case{1000000, u"001,000,000"},
             // Sizes and counters of the record are u64: nothing is lost
             // above 2^32, nor at the very top.
             Case{4294967296ull, u"004,294,967,296"},
             Case{5000000000ull, u"005,000,000,000"},
             Case{UINT64_MAX, u"018,446,744,073,709,551,615"},
         }) {
        EXPECT_EQ(cvstat::GroupedNumber(c.value), c.expected) << c.value;
    }
}

TEST(CvstatNumberPrinter, PrintsTheNumberAndALineEnd) {
    cvn_test::CaptureOutput capture;
    cvstat::PrintNumber(1234567);
    EXPECT_EQ(capture.out(), "001,234,567\n");
}

}  // namespace
