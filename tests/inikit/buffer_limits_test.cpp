// Output buffers are never written past their size, and what is written is
// always a valid, terminated result.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "inikit/inikit.h"
#include "tests/inikit/inikit_test_support.h"

namespace {

using inikit_test::IniFixture;

constexpr char kGuard = '#';

TEST(InikitBufferLimits, SectionNameListsAreCutInsideTheBuffer) {
    struct Case {
        unsigned size;
        std::string expected;  // the buffer's first `size` bytes
    } cases[] = {
        {10, std::string("ABCDEFG\0\0\0", 10)},  // the second name is cut to nothing
        {4, std::string("A\0\0\0", 4)},
        {3, std::string("\0\0\0", 3)},
        {2, std::string("\0\0", 2)},
        {1, std::string("\0", 1)},
        {40, std::string("ABCDEFGH\0XY\0P\0Q\0R\0\0", 19)},
    };
    IniFixture fixture;
    std::string file = fixture.Write("[ABCDEFGH]\n[XY]\n[P]\n[Q]\n[R]\n");
    for (const Case& c : cases) {
        std::vector<char> buffer(64, kGuard);
        NCGetSectionNames(buffer.data(), c.size, file.c_str());
        EXPECT_EQ(std::string(buffer.data(), c.expected.size()), c.expected) << c.size;
        size_t written = std::min<size_t>(c.size, c.expected.size());
        EXPECT_EQ(std::string(buffer.data() + written, buffer.size() - written),
                  std::string(buffer.size() - written, kGuard))
            << c.size;
    }
}

TEST(InikitBufferLimits, SectionListsWithManyEntriesStayInside) {
    IniFixture fixture;
    std::string file = fixture.Write("[S]\nlongkey=longvalue\na=1\nb=2\nc=3\nd=4\n");
    std::vector<char> buffer(32, kGuard);
    NCGetSection("S", buffer.data(), 8, file.c_str());
    EXPECT_EQ(std::string(buffer.data(), 8), std::string("longk\0\0\0", 8));
    EXPECT_EQ(std::string(buffer.data() + 8, 24), std::string(24, kGuard));
}

TEST(InikitBufferLimits, ValuesAreCutAndTerminated) {
    IniFixture fixture;
    std::string file = fixture.Write("[S]\nk=abcdefghij\n");
    std::vector<char> buffer(16, kGuard);
    NCGetIniKeyString("S", "k", "", buffer.data(), 5, file.c_str());
    EXPECT_EQ(std::string(buffer.data(), 6), std::string("abcd\0#", 6));
    NCGetIniKeyString("S", "k", "", buffer.data(), 0, file.c_str());
    EXPECT_EQ(buffer[0], 'a');
}

TEST(InikitBufferLimits, WideListsAndValuesStayInside) {
    IniFixture fixture;
    std::string file =
        fixture.Write("[\xe9\xe9\xe9\xe9\xe9\xe9\xe9\xe9]\n[XY]\nk=\xe9\xe9\xe9\xe9\xe9\n");
    std::u16string wide_file(file.begin(), file.end());
    std::u16string buffer(32, u'#');
    NCGetSectionNamesW(buffer.data(), 10, wide_file.c_str());
    // The name cut to nothing ends the list.
    EXPECT_EQ(buffer.substr(0, 9), std::u16string(u"ééééééé\0\0", 9));
    EXPECT_EQ(buffer.substr(9), std::u16string(23, u'#'));
    buffer.assign(32, u'#');
    NCGetIniKeyStringW(u"XY", u"k", u"", buffer.data(), 4, wide_file.c_str());
    EXPECT_EQ(buffer.substr(0, 5), std::u16string(u"ééé\0#", 5));
}

TEST(InikitBufferLimits, WideNamesNeedingMoreBytesAreNotCut) {
    // Characters outside the ANSI code page become '?'; names of any length
    // convert whole, and long entry lists are not limited.
    IniFixture fixture;
    std::string file = fixture.Path("long.ini");
    std::u16string wide_file(file.begin(), file.end());
    std::u16string entries;
    std::string expected = "[Big]\r\n";
    for (int i = 0; i < 3000; ++i) {
        std::string number = std::to_string(i);
        std::u16string key = u"key" + std::u16string(number.begin(), number.end());
        entries += key + u"=" + std::u16string(20, u'v') + u'\0';
        expected += std::string(key.begin(), key.end()) + "=" + std::string(20, 'v') + "\r\n";
    }
    entries += u'\0';
    NCWriteSectionW(u"Big", entries.c_str(), wide_file.c_str());
    EXPECT_EQ(cvn_test::ReadFile(file), expected);
    NCWriteIniKeyStringW(u"\u4e2d", u"k", u"v", wide_file.c_str());
    EXPECT_NE(cvn_test::ReadFile(file).find("[?]\r\nk=v\r\n"), std::string::npos);
}

}  // namespace
