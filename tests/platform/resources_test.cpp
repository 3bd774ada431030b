#include "platform/resources.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "platform/modules.h"

namespace {

// Ids of messages/enu.txt: 124 "Usage:", 158 "v"; 208 holds umlauts in German.
constexpr win32::UINT kUsage = 124;
constexpr win32::UINT kBannerKeyword = 158;
constexpr win32::UINT kNotRunning = 208;
constexpr win32::UINT kNoSuchId = 1;

class LoadStringTest : public ::testing::Test {
protected:
    void SetUp() override {
        english_ = win32::LoadLibraryA(CVN_BIN_DIR "/cvn3_enu.lrl");
        german_ = win32::LoadLibraryA(CVN_BIN_DIR "/cvn3_deu.lrl");
        ASSERT_NE(english_, nullptr);
        ASSERT_NE(german_, nullptr);
    }
    void TearDown() override {
        win32::FreeLibrary(english_);
        win32::FreeLibrary(german_);
    }

    win32::HMODULE english_ = nullptr;
    win32::HMODULE german_ = nullptr;
};

TEST_F(LoadStringTest, CopiesTheTextAndCountsItWithoutTerminator) {
    char16_t wide[32];
    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(win32::LoadStringW(english_, kUsage, wide, 32), 6);
    EXPECT_EQ(std::u16string(wide, 8), std::u16string(u"Usage:\0#", 8));
    EXPECT_EQ(win32::LoadStringW(english_, kBannerKeyword, wide, 32), 1);
    EXPECT_EQ(std::u16string(wide), u"v");
    EXPECT_EQ(win32::LoadStringW(german_, kUsage, wide, 32), 7);
    EXPECT_EQ(std::u16string(wide), u"Syntax:");

    char narrow[32];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(win32::LoadStringA(english_, kUsage, narrow, 32), 6);
    EXPECT_EQ(std::string(narrow, 8), std::string("Usage:\0#", 8));
}

TEST_F(LoadStringTest, CutsToSizeMinusOneAndTerminates) {
    const struct {
        int size;
        int count;
        const char* text;
    } cases[] = {{8, 6, "Usage:"}, {7, 6, "Usage:"}, {6, 5, "Usage"}, {4, 3, "Usa"}, {1, 0, ""}};
    for (const auto& c : cases) {
        char16_t wide[10];
        std::fill(std::begin(wide), std::end(wide), u'#');
        EXPECT_EQ(win32::LoadStringW(english_, kUsage, wide, c.size), c.count) << c.size;
        EXPECT_EQ(std::u16string(wide), std::u16string(c.text, c.text + c.count)) << c.size;
        EXPECT_EQ(wide[c.size], u'#') << c.size;

        char narrow[10];
        std::fill(std::begin(narrow), std::end(narrow), '#');
        EXPECT_EQ(win32::LoadStringA(english_, kUsage, narrow, c.size), c.count) << c.size;
        EXPECT_STREQ(narrow, c.text) << c.size;
        EXPECT_EQ(narrow[c.size], '#') << c.size;
    }
}

TEST_F(LoadStringTest, NarrowTextIsInTheAnsiCodePage) {
    char16_t wide[260];
    const int wide_length = win32::LoadStringW(german_, kNotRunning, wide, 260);
    const std::u16string text(wide, wide_length);
    const size_t umlaut = text.find(u'\u00E4');
    ASSERT_NE(umlaut, std::u16string::npos);

    char narrow[260];
    EXPECT_EQ(win32::LoadStringA(german_, kNotRunning, narrow, 260), wide_length);
    EXPECT_EQ(narrow[umlaut], '\xE4');
}

TEST_F(LoadStringTest, MissingIdentifier) {
    for (win32::UINT id : {kNoSuchId, 137u, 65535u}) {
        char16_t wide[4] = {u'#', u'#', u'#', u'#'};
        win32::SetLastError(0);
        EXPECT_EQ(win32::LoadStringW(english_, id, wide, 4), 0) << id;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_RESOURCE_NAME_NOT_FOUND) << id;
        EXPECT_EQ(wide[0], u'\0') << id;

        char narrow[4] = {'#', '#', '#', '#'};
        win32::SetLastError(0);
        EXPECT_EQ(win32::LoadStringA(english_, id, narrow, 4), 0) << id;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_RESOURCE_NAME_NOT_FOUND) << id;
        EXPECT_EQ(narrow[0], '\0') << id;
    }
}

TEST_F(LoadStringTest, ModuleWithoutStringTable) {
    // The C library is a module like any other, but holds no string table.
    Dl_info info{};
    ASSERT_NE(::dladdr(::dlsym(RTLD_DEFAULT, "getpid"), &info), 0);
    win32::HMODULE library = win32::LoadLibraryA(info.dli_fname);
    ASSERT_NE(library, nullptr) << info.dli_fname;

    char16_t wide[8] = {u'#'};
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadStringW(library, kUsage, wide, 8), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(wide[0], u'\0');
    win32::FreeLibrary(library);

    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadStringW(nullptr, kUsage, wide, 8), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_RESOURCE_DATA_NOT_FOUND);
}

TEST_F(LoadStringTest, NoBufferStoresNothing) {
    char16_t wide[2] = {u'#', u'#'};
    EXPECT_EQ(win32::LoadStringW(english_, kUsage, wide, 0), 0);
    EXPECT_EQ(wide[0], u'#');
    win32::SetLastError(0);
    EXPECT_EQ(win32::LoadStringW(english_, kUsage, nullptr, 8), 0);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);

    char narrow[2] = {'#', '#'};
    EXPECT_EQ(win32::LoadStringA(english_, kUsage, narrow, 0), 0);
    EXPECT_EQ(narrow[0], '#');
}

}  // namespace
