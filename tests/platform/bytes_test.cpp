// Little-endian fields of fixed records: every access is checked against
// the record, so a short or hostile buffer is never over-run.
#include "platform/bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

TEST(ByteView, LittleEndianFieldsAtTheirOffsets) {
    std::uint8_t bytes[16];
    std::memset(bytes, 0xEE, sizeof bytes);
    win32::ByteView view(bytes, sizeof bytes);
    view.SetU8(0, 0x01);
    view.SetU16(1, 0x0302);
    view.SetU32(3, 0x07060504);
    view.SetU64(7, 0x0F0E0D0C0B0A0908ull);
    const std::uint8_t expected[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0xEE};
    EXPECT_EQ(0, std::memcmp(bytes, expected, sizeof bytes));
    EXPECT_EQ(view.U16(1), 0x0302);
    EXPECT_EQ(view.U32(3), 0x07060504u);
    EXPECT_EQ(view.U64(7), 0x0F0E0D0C0B0A0908ull);
    view.SetChars(0, u"A\u20AC");
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0x00);
    EXPECT_EQ(bytes[2], 0xAC);
    EXPECT_EQ(bytes[3], 0x20);
    EXPECT_EQ(view.Chars(0, 2), u"A\u20AC");
    EXPECT_TRUE(view.ok());
}

TEST(ByteView, AccessPastTheEndReadsZeroAndWritesNothing) {
    std::uint8_t bytes[8];
    std::memset(bytes, 0xEE, sizeof bytes);
    const std::size_t huge = std::numeric_limits<std::size_t>::max();
    struct Case {
        const char* what;
        void (*access)(win32::ByteView&);
    } cases[] = {
        {"u32 across the end", [](win32::ByteView& v) { EXPECT_EQ(v.U32(6), 0u); }},
        {"u16 at the end", [](win32::ByteView& v) { EXPECT_EQ(v.U16(8), 0u); }},
        {"u64 far away", [](win32::ByteView& v) { EXPECT_EQ(v.U64(1000), 0u); }},
        {"set u32 across the end", [](win32::ByteView& v) { v.SetU32(5, 0); }},
        {"set u8 at the end", [](win32::ByteView& v) { v.SetU8(8, 0); }},
        {"offset near the top", [](win32::ByteView& v) { v.SetU16(huge - 1, 0); }},
        {"chars across the end", [](win32::ByteView& v) { EXPECT_EQ(v.Chars(4, 3), u""); }},
        {"set chars across the end", [](win32::ByteView& v) { v.SetChars(6, u"ab"); }},
        {"fill across the end", [](win32::ByteView& v) { v.Fill(4, 5, 0); }},
        // The byte size of this count wraps around to 0.
        {"chars count that wraps",
         [](win32::ByteView& v) { EXPECT_EQ(v.Chars(0, huge / 2 + 1), u""); }},
        {"chars count far too large",
         [](win32::ByteView& v) { EXPECT_EQ(v.Chars(0, huge / 4), u""); }},
    };
    for (const Case& c : cases) {
        win32::ByteView view(bytes, sizeof bytes);
        c.access(view);
        EXPECT_FALSE(view.ok()) << c.what;
        for (std::uint8_t byte : bytes) {
            ASSERT_EQ(byte, 0xEE) << c.what;
        }
    }
    win32::ByteView view(bytes, sizeof bytes);
    view.Fill(4, 4, 0);  // up to the end exactly is inside
    EXPECT_TRUE(view.ok());
    EXPECT_EQ(view.U32(4), 0u);
}

TEST(ByteReader, FieldsFrontToBack) {
    win32::ByteWriter writer;
    writer.U32(0x04030201);
    writer.Text(u"h\u00e9");
    writer.Raw(std::vector<std::uint8_t>{9, 8});
    const win32::Bytes expected = {1, 2, 3, 4, 4, 0, 0, 0, 'h', 0, 0xE9, 0, 9, 8};
    EXPECT_EQ(writer.bytes(), expected);

    win32::ByteReader reader(expected);
    EXPECT_EQ(reader.U32(), 0x04030201u);
    EXPECT_EQ(reader.Text(2), u"h\u00e9");
    std::span<const std::uint8_t> raw = reader.Raw(2);
    EXPECT_EQ(win32::Bytes(raw.begin(), raw.end()), (win32::Bytes{9, 8}));
    EXPECT_TRUE(reader.ok());
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ByteReader, ARefusedReadFailsTheReaderForGood) {
    const win32::Bytes odd = {3, 0, 0, 0, 'a', 0, 'b', 0};
    const win32::Bytes long_text = {4, 0, 0, 0, 'a', 0, 'b', 0};
    const win32::Bytes short_text = {8, 0, 0, 0, 'a', 0};
    struct Case {
        const char* what;
        const win32::Bytes* bytes;
        std::size_t max_chars;
    } cases[] = {{"odd byte count", &odd, 10},
                 {"more characters than allowed", &long_text, 1},
                 {"text beyond the end", &short_text, 10}};
    for (const Case& c : cases) {
        win32::ByteReader reader(*c.bytes);
        EXPECT_EQ(reader.Text(c.max_chars), u"") << c.what;
        EXPECT_FALSE(reader.ok()) << c.what;
        EXPECT_EQ(reader.U32(), 0u) << c.what;  // nothing more is read
    }
    const win32::Bytes three = {1, 2, 3};
    win32::ByteReader reader(three);
    EXPECT_EQ(reader.U32(), 0u);
    EXPECT_FALSE(reader.ok());
    EXPECT_TRUE(reader.Raw(1).empty());
}

}  // namespace
