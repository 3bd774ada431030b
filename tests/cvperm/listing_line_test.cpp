// The long listing line of one file, in the wide (Windows NT) and the
// narrow (Windows 95) layout of the find data: type and permission letters
// with the special bits, owner and group, size, date and time, names.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ctime>
#include <string>

#include "cvperm/listing_line.h"
#include "cvperm/local_time.h"
#include "platform/file_info.h"
#include "tests/cvperm/cvperm_test_support.h"
#include "tests/cvperm/in_process_drive.h"
#include "tests/support/capture_output.h"
#include "tests/support/scoped_env.h"

namespace {

using cvperm_test::ListingLine;

// Local time is UTC for the life of the object.
class UtcTime {
public:
    UtcTime() {
        env_.Set("TZ", "UTC");
        ::tzset();
    }

private:
    // Destroyed after `env_`, so the time zone is read again once TZ is back.
    struct TzsetOnExit {
        ~TzsetOnExit() { ::tzset(); }
    } tzset_on_exit_;
    cvn_test::ScopedEnv env_;
};

win32::FILETIME FileTimeAt(std::time_t seconds) {
    return win32::FileTimeOf(timespec{seconds, 0});
}

// The find data of a match as the platform's search fills it for `platform`.
cvn::FindRecord Found(const std::string& platform, const std::string& name,
                      const std::string& short_name, unsigned size, std::time_t mtime) {
    cvn::FindRecord found;
    std::memset(&found, 0, sizeof found);
    if (platform == "95") {
        std::strncpy(found.narrow.cFileName, name.c_str(), sizeof found.narrow.cFileName - 1);
        std::strncpy(found.narrow.cAlternateFileName, short_name.c_str(), 13);
        found.narrow.nFileSizeLow = size;
        found.narrow.ftLastWriteTime = FileTimeAt(mtime);
    } else {
        std::copy(name.begin(), name.end(), found.wide.cFileName);
        std::copy(short_name.begin(), short_name.end(), found.wide.cAlternateFileName);
        found.wide.nFileSizeLow = size;
        found.wide.ftLastWriteTime = FileTimeAt(mtime);
    }
    return found;
}

class CvpermListingLine : public testing::TestWithParam<const char*> {
protected:
    void SetUp() override { ASSERT_EQ(drive_.mount_error(), 0u); }

    std::string Line(const cvn::FindRecord& found, const std::u16string& path) {
        cvn_test::CaptureOutput capture;
        cvperm::PrintListingLine(found, path);
        return capture.out();
    }

    UtcTime utc_;
    cvperm_test::InProcessDrive drive_{GetParam()};
};

// Each class's execute column carries its special bit: lower case with
// execute, upper case without.
TEST_P(CvpermListingLine, TypeAndPermissionLetters) {
    struct LetterCase {
        std::string name;
        bool directory;
        mode_t mode;
        std::string columns;
    };
    const LetterCase cases[] = {
        {"plain", false, 0644, "-rw-r--r--"}, {"none", false, 0000, "----------"},
        {"suid", false, 04755, "-rwsr-xr-x"}, {"suidnx", false, 04644, "-rwSr--r--"},
        {"sgid", false, 02755, "-rwxr-sr-x"}, {"sgidnx", false, 02644, "-rw-r-Sr--"},
        {"all", false, 07777, "-rwsrwsrwt"},  {"tmp", true, 01777, "drwxrwxrwt"},
        {"tmpnx", true, 01770, "drwxrwx--T"},
    };
    const std::string platform = GetParam();
    for (const LetterCase& c : cases) {
        const std::string host = drive_.Host(c.name);
        if (c.directory) {
            ASSERT_EQ(::mkdir(host.c_str(), 0700), 0);
        } else {
            cvn_test::WriteFile(host, "");
        }
        ASSERT_EQ(::chmod(host.c_str(), c.mode), 0);
        const std::u16string path = u"F:\\" + std::u16string(c.name.begin(), c.name.end());
        EXPECT_EQ(Line(Found(platform, c.name, "", 0, cvperm_test::kJanuary1997), path),
                  ListingLine(platform, "", c.columns, 0, cvperm_test::kJanuary1997Text, c.name))
            << c.name;
    }
}

// Links and pipes by their type letter; size, short name and time from the
// find data, the attributes from the redirector.
TEST_P(CvpermListingLine, OtherTypesSizeAndNames) {
    const std::string platform = GetParam();
    ASSERT_EQ(::symlink("elsewhere", drive_.Host("link").c_str()), 0);
    ASSERT_EQ(::mkfifo(drive_.Host("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::chmod(drive_.Host("pipe").c_str(), 0600), 0);
    cvn_test::WriteFile(drive_.Host("LongFileName.text"), "");
    ASSERT_EQ(::chmod(drive_.Host("LongFileName.text").c_str(), 0640), 0);

    EXPECT_EQ(Line(Found(platform, "link", "", 9, cvperm_test::kDecember1999), u"F:\\link"),
              ListingLine(platform, "", "lrwxrwxrwx", 9, cvperm_test::kDecember1999Text, "link"));
    EXPECT_EQ(Line(Found(platform, "pipe", "", 0, cvperm_test::kJanuary1997), u"F:\\pipe"),
              ListingLine(platform, "", "prw-------", 0, cvperm_test::kJanuary1997Text, "pipe"));
    EXPECT_EQ(Line(Found(platform, "LongFileName.text", "LONGFI~1.TEX", 4294967295u,
                         cvperm_test::kJanuary1997),
                   u"F:\\LongFileName.text"),
              ListingLine(platform, "LONGFI~1.TEX", "-rw-r-----", 4294967295u,
                          cvperm_test::kJanuary1997Text, "LongFileName.text"));
}

// Attributes that cannot be read leave their columns blank.
TEST_P(CvpermListingLine, UnreadAttributesLeaveBlanks) {
    const std::string platform = GetParam();
    const std::string expected = std::string(14, ' ') + std::string(21, ' ') + "       3 " +
                                 cvperm_test::kJanuary1997Text + " gone" +
                                 (platform == "95" ? " \n" : "\n");
    EXPECT_EQ(Line(Found(platform, "gone", "", 3, cvperm_test::kJanuary1997), u"F:\\gone"),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Platforms, CvpermListingLine, testing::ValuesIn(cvperm_test::kPlatforms));

// The user's locale picks the short date; the time is always 24-hour.
TEST(CvpermLocalTime, ShortDateAndTimeOfTheLocale) {
    UtcTime utc;
    struct LocaleCase {
        const char* locale;
        std::u16string date;
        std::u16string time;
    };
    const LocaleCase cases[] = {
        {"C", u"1/5/97", u"9:05"},
        {"en_US.UTF-8", u"1/5/97", u"9:05"},
        {"en_GB.UTF-8", u"05/01/97", u"09:05"},
        {"de_DE.UTF-8", u"05.01.97", u"09:05"},
        {"fr_FR.UTF-8", u"05/01/97", u"09:05"},
    };
    for (const LocaleCase& c : cases) {
        cvn_test::ScopedEnv env("LANG", c.locale);
        std::optional<cvperm::DateAndTime> when =
            cvperm::LocalDateAndTime(FileTimeAt(cvperm_test::kJanuary1997));
        ASSERT_TRUE(when.has_value()) << c.locale;
        EXPECT_EQ(when->date, c.date) << c.locale;
        EXPECT_EQ(when->time, c.time) << c.locale;
    }
}

}  // namespace
