#include "platform/system_messages.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/memory.h"
#include "tests/support/files.h"

namespace {

constexpr win32::DWORD kFromSystem =
    win32::FORMAT_MESSAGE_FROM_SYSTEM | win32::FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr win32::DWORD kAllocate = kFromSystem | win32::FORMAT_MESSAGE_ALLOCATE_BUFFER;

// The text FormatMessageA delivers for a code, or nullopt with the last error.
std::optional<std::string> SystemText(win32::DWORD code, win32::DWORD language = 0) {
    char* text = nullptr;
    win32::DWORD length = win32::FormatMessageA(kAllocate, nullptr, code, language,
                                                reinterpret_cast<char*>(&text), 0, nullptr);
    if (length == 0) {
        EXPECT_EQ(text, nullptr);
        return std::nullopt;
    }
    std::string result(text);
    EXPECT_EQ(result.size(), length);
    EXPECT_EQ(win32::LocalFree(text), nullptr);
    return result;
}

TEST(FormatMessage, AllocatedBufferHoldsTheTextWithCrLf) {
    EXPECT_EQ(SystemText(win32::ERROR_SUCCESS), "The operation finished successfully.\r\n");

    char16_t* wide = nullptr;
    win32::DWORD length = win32::FormatMessageW(kAllocate, nullptr, win32::ERROR_FILE_NOT_FOUND, 0,
                                                reinterpret_cast<char16_t*>(&wide), 0, nullptr);
    ASSERT_NE(wide, nullptr);
    const std::u16string text(wide);
    EXPECT_EQ(length, text.size());
    const std::string narrow = *SystemText(win32::ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text, std::u16string(narrow.begin(), narrow.end()));
    EXPECT_EQ(win32::LocalFree(wide), nullptr);
}

TEST(FormatMessage, CallerBufferMustHoldTextAndTerminator) {
    const std::string expected = *SystemText(win32::ERROR_ACCESS_DENIED);
    const win32::DWORD length = static_cast<win32::DWORD>(expected.size());

    std::string buffer(length + 2, '#');
    EXPECT_EQ(win32::FormatMessageA(kFromSystem, nullptr, win32::ERROR_ACCESS_DENIED, 0,
                                    buffer.data(), length + 1, nullptr),
              length);
    EXPECT_EQ(buffer, expected + std::string("\0#", 2));

    std::u16string wide(length + 1, u'#');
    win32::SetLastError(0);
    EXPECT_EQ(win32::FormatMessageW(kFromSystem, nullptr, win32::ERROR_ACCESS_DENIED, 0,
                                    wide.data(), length, nullptr),
              0u);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(wide, std::u16string(length + 1, u'#'));
}

TEST(FormatMessage, Failures) {
    char buffer[256];
    const struct {
        win32::DWORD flags;
        win32::DWORD code;
        win32::DWORD language;
        void* arguments;
        win32::DWORD error;
    } cases[] = {
        {kFromSystem, 0x12345, 0, nullptr, win32::ERROR_MR_MID_NOT_FOUND},
        {kFromSystem, 9999, 0, nullptr, win32::ERROR_MR_MID_NOT_FOUND},
        {kFromSystem, win32::ERROR_FILE_NOT_FOUND, 0x0407, nullptr,
         win32::ERROR_RESOURCE_LANG_NOT_FOUND},
        {kFromSystem, win32::ERROR_FILE_NOT_FOUND, 0x040C, nullptr,
         win32::ERROR_RESOURCE_LANG_NOT_FOUND},
        // Only the system's table is served, and without arguments.
        {win32::FORMAT_MESSAGE_FROM_STRING, win32::ERROR_FILE_NOT_FOUND, 0, nullptr,
         win32::ERROR_INVALID_PARAMETER},
        {kFromSystem | win32::FORMAT_MESSAGE_FROM_HMODULE, win32::ERROR_FILE_NOT_FOUND, 0, nullptr,
         win32::ERROR_INVALID_PARAMETER},
        {kFromSystem, win32::ERROR_FILE_NOT_FOUND, 0, buffer, win32::ERROR_INVALID_PARAMETER},
        // A text with inserts cannot be formatted without them.
        {win32::FORMAT_MESSAGE_FROM_SYSTEM, win32::ERROR_MR_MID_NOT_FOUND, 0, nullptr,
         win32::ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        win32::SetLastError(0);
        EXPECT_EQ(
            win32::FormatMessageA(c.flags, nullptr, c.code, c.language, buffer, 256, c.arguments),
            0u)
            << "case " << i;
        EXPECT_EQ(win32::GetLastError(), c.error) << "case " << i;
    }
    win32::SetLastError(0);
    EXPECT_EQ(SystemText(0x12345), std::nullopt);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_MR_MID_NOT_FOUND);
}

TEST(FormatMessage, EnglishAndDefaultLanguagesAreServed) {
    const std::string expected = *SystemText(win32::ERROR_FILE_NOT_FOUND);
    for (win32::DWORD language : {0x0000u, 0x0400u, 0x0800u, 0x0409u, 0x0809u, 0x0009u}) {
        EXPECT_EQ(SystemText(win32::ERROR_FILE_NOT_FOUND, language), expected) << language;
    }
    // With inserts ignored, the text keeps them as they stand.
    std::optional<std::string> inserts = SystemText(win32::ERROR_MR_MID_NOT_FOUND);
    ASSERT_TRUE(inserts);
    EXPECT_NE(inserts->find("%1"), std::string::npos);
}

TEST(FormatMessage, EveryTextIsOneNonEmptyLineEndingWithCrLf) {
    int texts = 0;
    for (win32::DWORD code = 0; code < 20000; ++code) {
        if (!win32::SystemMessageText(code)) {
            continue;
        }
        ++texts;
        std::optional<std::string> text = SystemText(code);
        ASSERT_TRUE(text) << code;
        ASSERT_GT(text->size(), 2u) << code;
        EXPECT_EQ(text->substr(text->size() - 2), "\r\n") << code;
        const std::string body = text->substr(0, text->size() - 2);
        EXPECT_EQ(body, *win32::SystemMessageText(code)) << code;
        EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos) << code;
        EXPECT_NE(body.back(), ' ') << code;
    }
    EXPECT_GT(texts, 0);
}

// Each code the layer names is one it may report, so each needs a text.
TEST(FormatMessage, EveryNamedErrorCodeHasAText) {
    const std::string header =
        cvn_test::ReadFile(std::string(CVN_SOURCE_DIR) + "/platform/errors.h");
    const std::regex constant(R"(DWORD (\w+) = (\d+);)");
    int named = 0;
    for (auto it = std::sregex_iterator(header.begin(), header.end(), constant);
         it != std::sregex_iterator(); ++it) {
        ++named;
        const win32::DWORD code = static_cast<win32::DWORD>(std::stoul((*it)[2]));
        EXPECT_TRUE(win32::SystemMessageText(code)) << (*it)[1] << " = " << code;
    }
    EXPECT_GT(named, 0);
}

}  // namespace
