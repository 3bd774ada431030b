#include "platform/debug_output.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/capture_output.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::CaptureOutput;
using cvn_test::ScopedEnv;
using cvn_test::TempDir;

TEST(OutputDebugString, AppendsToTheLogFileAndNeverToTheConsole) {
    TempDir dir;
    const std::string log = dir / "debug.log";
    cvn_test::WriteFile(log, "earlier\n");
    ScopedEnv env("CVN_DEBUG_LOG", log);
    CaptureOutput capture;
    win32::OutputDebugStringA("narrow\n");
    win32::OutputDebugStringW(u"wide");
    win32::OutputDebugStringA("");
    win32::OutputDebugStringA(nullptr);
    win32::OutputDebugStringW(nullptr);
    // Texts are written as they are given, in the host's UTF-8.
    win32::OutputDebugStringA(" caf\xE9 \x80\n");
    win32::OutputDebugStringW(u" caf\u00E9 \u20AC\n");
    EXPECT_EQ(capture.out(), "");
    EXPECT_EQ(capture.err(), "");
    EXPECT_EQ(cvn_test::ReadFile(log),
              "earlier\nnarrow\nwide caf\xC3\xA9 \xE2\x82\xAC\n caf\xC3\xA9 \xE2\x82\xAC\n");
}

TEST(OutputDebugString, NothingWithoutALogFile) {
    TempDir dir;
    for (const char* value : {static_cast<const char*>(nullptr), ""}) {
        ScopedEnv env("CVN_DEBUG_LOG",
                      value != nullptr ? std::optional<std::string>(value) : std::nullopt);
        CaptureOutput capture;
        win32::OutputDebugStringA("dropped\n");
        win32::OutputDebugStringW(u"dropped\n");
        EXPECT_EQ(capture.out(), "");
        EXPECT_EQ(capture.err(), "");
    }
    // A log that cannot be opened drops the text without complaint.
    ScopedEnv env("CVN_DEBUG_LOG", dir / "missing/debug.log");
    CaptureOutput capture;
    win32::OutputDebugStringA("dropped\n");
    EXPECT_EQ(capture.out(), "");
    EXPECT_EQ(capture.err(), "");
    EXPECT_FALSE(cvn_test::FileExists(dir / "missing"));
}

}  // namespace
