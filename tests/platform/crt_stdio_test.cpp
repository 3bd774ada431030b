#include "platform/crt_stdio.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/host_text.h"
#include "platform/last_error.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::TempDir;
using win32::crt::Stream;

constexpr size_t kInternalBuffer = 256 * 1024;

// Reads a whole file through the stream, `chunk` bytes per call.
std::string ReadThrough(const std::string& path, const char16_t* mode, size_t chunk) {
    std::unique_ptr<Stream> stream = Stream::Open(win32::HostToWide(path), mode);
    if (stream == nullptr) {
        ADD_FAILURE() << "cannot open " << path;
        return {};
    }
    std::string text;
    std::vector<char> buffer(chunk);
    while (size_t got = stream->Read(buffer.data(), chunk)) {
        text.append(buffer.data(), got);
    }
    EXPECT_TRUE(stream->AtEnd());
    EXPECT_EQ(stream->error(), 0u);
    // The end stays the end.
    EXPECT_EQ(stream->Read(buffer.data(), chunk), 0u);
    EXPECT_EQ(stream->GetChar(), -1);
    return text;
}

std::string ReadByGetChar(const std::string& path) {
    std::unique_ptr<Stream> stream = Stream::Open(win32::HostToWide(path), u"r");
    std::string text;
    for (int c = stream->GetChar(); c != -1; c = stream->GetChar()) {
        text += static_cast<char>(c);
    }
    return text;
}

TEST(StreamTextMode, TranslatesLineEndsOnInput) {
    const struct {
        std::string raw;
        std::string text;
    } cases[] = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\rb", "a\rb"},        // a lone CR stays
        {"a\r\r\nb", "a\r\nb"},  // only the CR next to the LF goes
        {"\r\r\r\n", "\r\r\n"},
        {"a\r", "a\r"},  // CR at the end of the file
        {"\r", "\r"},
        {"\n\r", "\n\r"},
        {"ab\x1A"
         "cd\r\n",
         "ab"},  // Ctrl-Z ends the input
        {"\x1A", ""},
        {"a\r\x1A"
         "b",
         "a\r"},
        {"", ""},
    };
    TempDir dir;
    const std::string path = dir / "input.txt";
    for (const auto& c : cases) {
        cvn_test::WriteFile(path, c.raw);
        for (size_t chunk : {1, 2, 3, 4096}) {
            EXPECT_EQ(ReadThrough(path, u"r", chunk), c.text)
                << testing::PrintToString(c.raw) << " chunk " << chunk;
        }
        EXPECT_EQ(ReadThrough(path, u"rt", 4096), c.text) << testing::PrintToString(c.raw);
        EXPECT_EQ(ReadByGetChar(path), c.text) << testing::PrintToString(c.raw);
        // Binary mode passes every byte.
        EXPECT_EQ(ReadThrough(path, u"rb", 3), c.raw) << testing::PrintToString(c.raw);
    }
}

// Whether a CR is dropped depends on the next byte, which may only arrive with
// the next read of the file.
TEST(StreamTextMode, CarriageReturnAtTheInternalBufferBoundary) {
    const std::string fill(kInternalBuffer - 1, 'x');
    const struct {
        std::string raw;
        std::string text;
    } cases[] = {
        {fill + "\r\ny", fill + "\ny"},
        {fill + "\rz", fill + "\rz"},
        {fill + "\r", fill + "\r"},
        {fill + "\r\x1A"
                "z",
         fill + "\r"},
        {fill + "x\r\ny", fill + "x\ny"},
    };
    TempDir dir;
    const std::string path = dir / "big.txt";
    for (size_t i = 0; i < std::size(cases); ++i) {
        cvn_test::WriteFile(path, cases[i].raw);
        for (size_t chunk : {size_t{1}, size_t{4096}, 4 * kInternalBuffer}) {
            EXPECT_TRUE(ReadThrough(path, u"r", chunk) == cases[i].text)
                << "case " << i << " chunk " << chunk;
        }
        EXPECT_TRUE(ReadThrough(path, u"rb", 4096) == cases[i].raw) << "case " << i;
    }
}

TEST(StreamOpen, WritesAreNeverTranslated) {
    TempDir dir;
    const std::u16string path = win32::HostToWide(dir / "out.txt");
    std::unique_ptr<Stream> out = Stream::Open(path, u"w");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->Write("a\nb\r\n", 5));
    EXPECT_TRUE(out->Close());
    EXPECT_EQ(cvn_test::ReadFile(dir / "out.txt"), "a\nb\r\n");

    out = Stream::Open(path, u"a");
    ASSERT_NE(out, nullptr);
    EXPECT_TRUE(out->Write("c", 1));
    out.reset();
    EXPECT_EQ(cvn_test::ReadFile(dir / "out.txt"), "a\nb\r\nc");

    out = Stream::Open(path, u"wb");
    ASSERT_NE(out, nullptr);
    out.reset();
    EXPECT_EQ(cvn_test::ReadFile(dir / "out.txt"), "");
}

TEST(StreamOpen, Failures) {
    TempDir dir;
    cvn_test::WriteFile(dir / "file.txt", "x");
    const struct {
        std::u16string name;
        std::u16string mode;
        win32::DWORD error;
    } cases[] = {
        {win32::HostToWide(dir / "missing.txt"), u"r", win32::ERROR_FILE_NOT_FOUND},
        {win32::HostToWide(dir / "missing.txt"), u"rb", win32::ERROR_FILE_NOT_FOUND},
        {win32::HostToWide(dir / "file.txt"), u"", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"x", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"+r", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"b", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"rq", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"rw", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"r++", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir / "file.txt"), u"rbt", win32::ERROR_INVALID_PARAMETER},
        {win32::HostToWide(dir.path()), u"r", win32::ERROR_ACCESS_DENIED},
        {u"\\\\server\\share\\file.txt", u"r", win32::ERROR_BAD_NETPATH},
    };
    for (const auto& c : cases) {
        win32::SetLastError(0);
        EXPECT_EQ(Stream::Open(c.name, c.mode), nullptr)
            << testing::PrintToString(c.name) << " " << testing::PrintToString(c.mode);
        EXPECT_EQ(win32::GetLastError(), c.error)
            << testing::PrintToString(c.name) << " " << testing::PrintToString(c.mode);
    }
    cvn_test::ScopedEnv drives("CVN_DRIVES", "Q=" + dir.path());
    win32::SetLastError(0);
    EXPECT_EQ(Stream::Open(u"R:\\file.txt", u"r"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND);
    EXPECT_NE(Stream::Open(u"Q:\\file.txt", u"r"), nullptr);
}

}  // namespace
