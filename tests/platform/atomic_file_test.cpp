#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "platform/errors.h"
#include "platform/last_error.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using cvn_test::ReadFile;
using cvn_test::TempDir;
using cvn_test::WriteFile;
using win32::AtomicFileWriter;

std::set<std::string> FilesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

bool WriteText(AtomicFileWriter& writer, const std::string& text) {
    return writer.Write(text.data(), text.size());
}

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(target_, "old contents\n");
        ::chmod(target_.c_str(), 0640);
    }

    TempDir dir_;
    const std::string target_ = dir_ / "settings.ini";
};

TEST_F(AtomicFileTest, CommitReplacesContentsAndKeepsTheMode) {
    std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::CreateForHostPath(target_);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(WriteText(*writer, "new "));
    EXPECT_TRUE(WriteText(*writer, "contents\n"));
    // Until the commit the target is untouched; the new text waits beside it.
    EXPECT_EQ(ReadFile(target_), "old contents\n");
    EXPECT_EQ(FilesIn(dir_.path()).size(), 2u);

    EXPECT_TRUE(writer->Commit());
    EXPECT_EQ(writer->error(), 0u);
    EXPECT_EQ(ReadFile(target_), "new contents\n");
    EXPECT_EQ(ModeOf(target_), 0640u);
    EXPECT_EQ(FilesIn(dir_.path()), std::set<std::string>{"settings.ini"});

    // A committed writer takes nothing more.
    win32::SetLastError(0);
    EXPECT_FALSE(WriteText(*writer, "more"));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    win32::SetLastError(0);
    EXPECT_FALSE(writer->Commit());
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
    writer.reset();
    EXPECT_EQ(ReadFile(target_), "new contents\n");
}

TEST_F(AtomicFileTest, LargeWritesKeepTheirOrder) {
    std::string expected;
    std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::CreateForHostPath(target_);
    ASSERT_NE(writer, nullptr);
    // Around and across the writer's 256 KiB buffer.
    for (size_t size : {100 * 1024, 300 * 1024, 10, 256 * 1024 - 10, 20}) {
        const std::string part(size, static_cast<char>('a' + expected.size() % 26));
        expected += part;
        ASSERT_TRUE(WriteText(*writer, part));
    }
    ASSERT_TRUE(writer->Commit());
    EXPECT_TRUE(ReadFile(target_) == expected);
}

TEST_F(AtomicFileTest, NewFileGetsTheModeTheUmaskAllows) {
    const mode_t saved = ::umask(027);
    std::unique_ptr<AtomicFileWriter> writer =
        AtomicFileWriter::CreateForHostPath(dir_ / "new.ini");
    ::umask(saved);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(WriteText(*writer, "x"));
    EXPECT_TRUE(writer->Commit());
    EXPECT_EQ(ReadFile(dir_ / "new.ini"), "x");
    EXPECT_EQ(ModeOf(dir_ / "new.ini"), 0640u);
}

TEST_F(AtomicFileTest, WriterDestroyedWithoutCommitChangesNothing) {
    std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::CreateForHostPath(target_);
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(WriteText(*writer, std::string(300 * 1024, 'n')));
    writer.reset();
    EXPECT_EQ(ReadFile(target_), "old contents\n");
    EXPECT_EQ(FilesIn(dir_.path()), std::set<std::string>{"settings.ini"});
}

TEST_F(AtomicFileTest, SymbolicLinkTargetReplacesTheFileItNames) {
    TempDir links;
    std::filesystem::create_symlink(target_, links / "absolute.ini");
    std::filesystem::create_symlink(std::filesystem::relative(target_, links.path()),
                                    links / "relative.ini");

    for (const char* link : {"absolute.ini", "relative.ini"}) {
        std::unique_ptr<AtomicFileWriter> writer =
            AtomicFileWriter::CreateForHostPath(links / link);
        ASSERT_NE(writer, nullptr) << link;
        EXPECT_TRUE(WriteText(*writer, link));
        EXPECT_TRUE(writer->Commit()) << link;
        EXPECT_TRUE(std::filesystem::is_symlink(links / link)) << link;
        EXPECT_EQ(ReadFile(target_), link);
        EXPECT_EQ(ModeOf(target_), 0640u) << link;
    }
    EXPECT_EQ(FilesIn(links.path()), (std::set<std::string>{"absolute.ini", "relative.ini"}));
    EXPECT_EQ(FilesIn(dir_.path()), std::set<std::string>{"settings.ini"});
}

TEST_F(AtomicFileTest, DanglingLinkCreatesTheFileItNames) {
    TempDir links;
    std::filesystem::create_symlink(dir_ / "new.ini", links / "dangling.ini");
    std::unique_ptr<AtomicFileWriter> writer =
        AtomicFileWriter::CreateForHostPath(links / "dangling.ini");
    ASSERT_NE(writer, nullptr);
    EXPECT_TRUE(WriteText(*writer, "fresh"));
    EXPECT_TRUE(writer->Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(links / "dangling.ini"));
    EXPECT_EQ(ReadFile(dir_ / "new.ini"), "fresh");
}

TEST_F(AtomicFileTest, TargetsThatCannotBeWritten) {
    std::filesystem::create_directory(dir_ / "folder");
    const struct {
        std::string path;
        win32::DWORD error;
    } cases[] = {
        {dir_ / "folder", win32::ERROR_ACCESS_DENIED},
        {dir_ / "missing/settings.ini", win32::ERROR_PATH_NOT_FOUND},
        {dir_ / "settings.ini/inside", win32::ERROR_PATH_NOT_FOUND},
        {dir_ / "folder/", win32::ERROR_INVALID_NAME},
        {"", win32::ERROR_INVALID_NAME},
    };
    for (const auto& c : cases) {
        win32::SetLastError(0);
        EXPECT_EQ(AtomicFileWriter::CreateForHostPath(c.path), nullptr) << c.path;
        EXPECT_EQ(win32::GetLastError(), c.error) << c.path;
    }
    EXPECT_EQ(FilesIn(dir_.path()), (std::set<std::string>{"folder", "settings.ini"}));
    EXPECT_TRUE(FilesIn(dir_ / "folder").empty());
}

TEST_F(AtomicFileTest, WindowsNamesGoThroughTheDriveTable) {
    cvn_test::ScopedEnv drives("CVN_DRIVES", "Q=" + dir_.path());
    std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::Create(u"Q:\\settings.ini");
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->target(), target_);
    EXPECT_TRUE(WriteText(*writer, "via drive"));
    EXPECT_TRUE(writer->Commit());
    EXPECT_EQ(ReadFile(target_), "via drive");

    win32::SetLastError(0);
    EXPECT_EQ(AtomicFileWriter::Create(u"R:\\settings.ini"), nullptr);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_PATH_NOT_FOUND);
}

// A child process writes new contents and is killed before it commits; the
// target must still hold the old contents. Handled signals also remove the
// temporary file; SIGKILL cannot be handled, so it may leave one behind.
TEST_F(AtomicFileTest, KillBetweenWriteAndRename) {
    // A signal the process ignores (as under nohup) is the program's own
    // business: the writer leaves it alone and there is nothing to try.
    constexpr int kIgnored = 20;
    for (int signal_number : {SIGKILL, SIGTERM, SIGINT, SIGHUP}) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            struct sigaction current {};
            ::sigaction(signal_number, nullptr, &current);
            if (current.sa_handler == SIG_IGN) {
                ::_exit(kIgnored);
            }
            std::unique_ptr<AtomicFileWriter> writer = AtomicFileWriter::CreateForHostPath(target_);
            if (writer == nullptr) {
                ::_exit(10);
            }
            // More than the writer buffers, so the temporary file holds data.
            const std::string text(300 * 1024, 'n');
            if (!writer->Write(text.data(), text.size())) {
                ::_exit(11);
            }
            ::raise(signal_number);
            ::_exit(12);  // not reached: the signal ends the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kIgnored) {
            continue;
        }
        ASSERT_TRUE(WIFSIGNALED(status)) << strsignal(signal_number) << " status " << status;
        EXPECT_EQ(WTERMSIG(status), signal_number);
        EXPECT_EQ(ReadFile(target_), "old contents\n") << strsignal(signal_number);
        std::set<std::string> files = FilesIn(dir_.path());
        EXPECT_EQ(files.count("settings.ini"), 1u);
        if (signal_number == SIGKILL) {
            EXPECT_EQ(files.size(), 2u);  // the temporary file, left behind
            for (const std::string& name : files) {
                if (name != "settings.ini") {
                    std::filesystem::remove(dir_ / name);
                }
            }
        } else {
            EXPECT_EQ(files, std::set<std::string>{"settings.ini"}) << strsignal(signal_number);
        }
    }
}

}  // namespace
