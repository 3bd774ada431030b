// The program's name for banners and usage texts: the file part of argv[0]'s
// full path, as the user typed it, on both code paths.
#include "common/program_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "tests/common/common_test_support.h"

namespace {

using cvn_test::PlatformAndLocale;

class GetProgramName : public testing::TestWithParam<const char*> {};

TEST_P(GetProgramName, IsTheFilePartAsTyped) {
    PlatformAndLocale platform(GetParam());
    struct Case {
        std::u16string argv0;
        std::u16string name;
    } cases[] = {
        {u"cvlink", u"cvlink"},
        {u"cvlink.exe", u"cvlink.exe"},
        {u"C:\\Tools\\CvLink.EXE", u"CvLink.EXE"},
        {u"..\\bin\\cvlink", u"cvlink"},
        {u"/usr/local/bin/cvlink", u"cvlink"},
        {u"C:\\Programme\\Größe\\prüfen.exe", u"prüfen.exe"},
    };
    for (const Case& c : cases) {
        char16_t buffer[cvn::kProgramNameChars];
        std::fill(std::begin(buffer), std::end(buffer), u'#');
        const char16_t* name = cvn::GetProgramName(c.argv0, buffer);
        ASSERT_NE(name, nullptr) << cvn_test::Narrow(c.argv0);
        // The name lies inside the caller's buffer, at the end of the full path.
        ASSERT_GE(name, buffer);
        ASSERT_LT(name, buffer + cvn::kProgramNameChars);
        const std::u16string full(buffer);
        EXPECT_TRUE(full.ends_with(u"\\" + c.name)) << cvn_test::Narrow(full);
        EXPECT_EQ(std::u16string(name), c.name) << cvn_test::Narrow(c.argv0);
    }
}

TEST_P(GetProgramName, IsNullWithoutAFilePart) {
    PlatformAndLocale platform(GetParam());
    const std::u16string too_long = u"C:\\" + std::u16string(cvn::kProgramNameChars, u'a');
    for (const std::u16string& argv0 :
         {std::u16string(u"C:\\Tools\\"), std::u16string(u"bin/"), std::u16string(), too_long}) {
        char16_t buffer[cvn::kProgramNameChars];
        EXPECT_EQ(cvn::GetProgramName(argv0, buffer), nullptr) << cvn_test::Narrow(argv0);
    }
}

INSTANTIATE_TEST_SUITE_P(BothPlatforms, GetProgramName, testing::Values("nt", "95"));

TEST(GetProgramNameUnserved, IsNull) {
    PlatformAndLocale platform("win32s");
    char16_t buffer[cvn::kProgramNameChars];
    EXPECT_EQ(cvn::GetProgramName(u"cvlink.exe", buffer), nullptr);
}

}  // namespace
