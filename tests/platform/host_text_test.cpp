#include "platform/host_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostText, Utf8NamesConvertBothWays) {
    const std::string host = "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    EXPECT_EQ(win32::HostToWide(host), u"caf\u00E9 \u20AC \U0001F600");
    EXPECT_EQ(win32::WideToHost(u"caf\u00E9 \u20AC \U0001F600"), host);
    EXPECT_EQ(win32::WideToDisplay(u"caf\u00E9 \u20AC \U0001F600"), host);
}

// A host name that is not UTF-8 must survive the trip through UTF-16, or the
// system could not open the files it has just listed.
TEST(HostText, BytesThatAreNotUtf8SurviveTheRoundTrip) {
    const std::string host =
        "a\xFF"
        "b\xC3(\xE9t\xC0\xAF\xED\xA0\x80";
    const std::u16string wide = win32::HostToWide(host);
    EXPECT_EQ(wide, (std::u16string{u'a', 0xDCFF, u'b', 0xDCC3, u'(', 0xDCE9, u't', 0xDCC0, 0xDCAF,
                                    0xDCED, 0xDCA0, 0xDC80}));
    EXPECT_EQ(win32::WideToHost(wide), host);

    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        EXPECT_EQ(win32::HostToWide(one), std::u16string(1, static_cast<char16_t>(0xDC00 + byte)))
            << byte;
        EXPECT_EQ(win32::WideToHost(win32::HostToWide(one)), one) << byte;
    }
}

TEST(HostText, LoneSurrogatesForNamesAndForDisplay) {
    // Not an escaped byte: written in the generalized form, so nothing is lost.
    EXPECT_EQ(win32::WideToHost(u"x\xD800y"), "x\xED\xA0\x80y");
    // On the console every escaped byte and lone surrogate is U+FFFD.
    EXPECT_EQ(win32::WideToDisplay(std::u16string{u'a', 0xDCFF, 0xD800, u'b'}),
              "a\xEF\xBF\xBD\xEF\xBF\xBD"
              "b");
}

TEST(HostText, AnsiTextIsShownAsUtf8) {
    EXPECT_EQ(win32::AnsiToDisplay("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
}

}  // namespace
