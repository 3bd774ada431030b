// CreateFile and DeviceIoControl: the redirector's control devices and
// files reached through the device transport, and plain host files.
#include "platform/device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/device_protocol.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "tests/platform/fake_transport.h"
#include "tests/support/files.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

namespace protocol = win32::device_protocol;
using cvn_test::FakeRedirector;

constexpr win32::DWORD kReadWrite = win32::GENERIC_READ | win32::GENERIC_WRITE;

win32::HANDLE OpenW(const std::u16string& name, win32::DWORD access = kReadWrite,
                    win32::DWORD flags = 0, win32::DWORD disposition = win32::OPEN_EXISTING) {
    return win32::CreateFileW(name.c_str(), access, 0, nullptr, disposition, flags, nullptr);
}

win32::HANDLE OpenA(const std::string& name, win32::DWORD access = kReadWrite,
                    win32::DWORD flags = 0) {
    return win32::CreateFileA(name.c_str(), access, 0, nullptr, win32::OPEN_EXISTING, flags,
                              nullptr);
}

class Device : public testing::Test {
protected:
    win32::HANDLE OpenControl() {
        win32::HANDLE device = OpenW(u"\\\\.\\CVNCTL");
        EXPECT_NE(device, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
        fake_->Take();
        return device;
    }

    cvn_test::ScopedFakeRedirector fake_;
};

TEST_F(Device, ControlDeviceNamesInAnyCase) {
    struct Case {
        const char* name;
        std::uint32_t kind;
    } cases[] = {
        {"\\\\.\\CVNCTL", protocol::kControlDeviceNt},
        {"\\\\.\\cvnctl", protocol::kControlDeviceNt},
        {"\\\\.\\CvnCtl", protocol::kControlDeviceNt},
        {"\\\\.\\VCORV", protocol::kControlDevice95},
        {"\\\\.\\vcorv", protocol::kControlDevice95},
        {"\\\\.\\vCoRv", protocol::kControlDevice95},
    };
    for (const Case& c : cases) {
        for (bool wide : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (wide ? " W" : " A"));
            std::u16string wide_name(c.name, c.name + std::strlen(c.name));
            win32::HANDLE device = wide ? OpenW(wide_name) : OpenA(c.name);
            ASSERT_NE(device, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
            EXPECT_NE(device, nullptr);
            std::vector<protocol::Request> sent = fake_->Take();
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
            EXPECT_EQ(sent[0].device, c.kind);
            EXPECT_EQ(fake_->open_connections(), 1);
            EXPECT_TRUE(win32::CloseHandle(device));
            // One handle is one connection: closing the handle ends it.
            EXPECT_EQ(fake_->open_connections(), 0);
        }
    }
}

TEST_F(Device, UnknownDeviceOrNoRedirectorIsFileNotFound) {
    for (const char16_t* name : {u"\\\\.\\NOSUCH", u"\\\\.\\CVNCTLX", u"\\\\.\\VCOR", u"\\\\.\\"}) {
        win32::SetLastError(0);
        EXPECT_EQ(OpenW(name), win32::INVALID_HANDLE_VALUE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);
    }
    EXPECT_EQ(fake_->connects(), 0);  // nobody is asked about an unknown device

    fake_->SetReachable(false);
    for (const char16_t* name : {u"\\\\.\\CVNCTL", u"\\\\.\\VCORV"}) {
        win32::SetLastError(0);
        EXPECT_EQ(OpenW(name), win32::INVALID_HANDLE_VALUE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);
    }
    win32::SetLastError(0);
    EXPECT_EQ(OpenA("\\\\.\\VCORV"), win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);
}

TEST(DeviceWithoutTransport, NoDaemonListeningIsFileNotFound) {
    // The socket transport, in a runtime directory where no redirector runs.
    cvn_test::TempDir runtime;
    cvn_test::ScopedEnv env("CVN_RUNTIME_DIR", runtime.path());
    win32::SetDeviceTransport(nullptr);
    for (const char16_t* name : {u"\\\\.\\CVNCTL", u"\\\\.\\VCORV"}) {
        win32::SetLastError(0);
        EXPECT_EQ(OpenW(name), win32::INVALID_HANDLE_VALUE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(Device, OpenThatTheRedirectorRefusesOrCannotAnswer) {
    struct Case {
        const char* what;
        FakeRedirector::Answer answer;
        win32::DWORD error;
    } cases[] = {
        {"refused", [](const auto&) { return FakeRedirector::Encoded(false, 5); }, 5},
        {"lost", [](const auto&) { return std::optional<win32::Bytes>(); }, 31},
        {"garbage",
         [](const auto&) {
             return std::optional<win32::Bytes>(win32::Bytes{1, 2});
         },
         31},
    };
    for (const Case& c : cases) {
        fake_->SetAnswer(c.answer);
        win32::SetLastError(0);
        EXPECT_EQ(OpenW(u"\\\\.\\CVNCTL"), win32::INVALID_HANDLE_VALUE) << c.what;
        EXPECT_EQ(win32::GetLastError(), c.error) << c.what;
        EXPECT_EQ(fake_->open_connections(), 0) << c.what;
    }
}

TEST_F(Device, ControlCarriesCodeInputAndOutputSize) {
    win32::HANDLE device = OpenControl();
    fake_->SetAnswer([](const FakeRedirector::Request&) {
        return FakeRedirector::Encoded(true, 0, {0xA1, 0xA2, 0xA3});
    });
    std::uint8_t input[5] = {1, 2, 3, 4, 5};
    std::uint8_t output[8];
    std::memset(output, 0xEE, sizeof output);
    win32::DWORD returned = 99;
    ASSERT_TRUE(win32::DeviceIoControl(device, 0x0C03300C, input, sizeof input, output,
                                       sizeof output, &returned, nullptr));
    EXPECT_EQ(returned, 3u);
    const std::uint8_t expected[8] = {0xA1, 0xA2, 0xA3, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(0, std::memcmp(output, expected, sizeof output));

    std::vector<protocol::Request> sent = fake_->Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].operation, protocol::kControl);
    EXPECT_EQ(sent[0].code, 0x0C03300Cu);
    EXPECT_EQ(sent[0].output_size, 8u);
    EXPECT_EQ(sent[0].input, (win32::Bytes{1, 2, 3, 4, 5}));
    EXPECT_TRUE(win32::CloseHandle(device));
}

// A refused request still hands back what the redirector returned (the
// record's status), and its error becomes the last error.
TEST_F(Device, RefusedControlStillCopiesTheOutput) {
    win32::HANDLE device = OpenControl();
    fake_->SetAnswer([](const FakeRedirector::Request&) {
        return FakeRedirector::Encoded(false, 2250, {0x46, 0x01, 0x14, 0x02});
    });
    std::uint8_t record[6] = {0x46, 0x01, 0, 0, 0x77, 0x77};
    win32::DWORD returned = 99;
    win32::SetLastError(0);
    EXPECT_FALSE(win32::DeviceIoControl(device, 0x0C03300C, record, sizeof record, record,
                                        sizeof record, &returned, nullptr));
    EXPECT_EQ(win32::GetLastError(), 2250u);
    EXPECT_EQ(returned, 4u);
    const std::uint8_t expected[6] = {0x46, 0x01, 0x14, 0x02, 0x77, 0x77};
    EXPECT_EQ(0, std::memcmp(record, expected, sizeof record));
    EXPECT_TRUE(win32::CloseHandle(device));
}

TEST_F(Device, OutputIsCutToTheCallersBuffer) {
    win32::HANDLE device = OpenControl();
    fake_->SetAnswer([](const FakeRedirector::Request&) {
        return FakeRedirector::Encoded(true, 0, win32::Bytes(16, 0xAB));
    });
    std::uint8_t output[8];
    std::memset(output, 0, sizeof output);
    win32::DWORD returned = 0;
    ASSERT_TRUE(win32::DeviceIoControl(device, 1, nullptr, 0, output, 4, &returned, nullptr));
    EXPECT_EQ(returned, 4u);
    const std::uint8_t expected[8] = {0xAB, 0xAB, 0xAB, 0xAB, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(output, expected, sizeof output));

    // Without an output buffer nothing is stored and nothing counted.
    ASSERT_TRUE(win32::DeviceIoControl(device, 1, nullptr, 0, nullptr, 0, &returned, nullptr));
    EXPECT_EQ(returned, 0u);
    // The count is optional.
    ASSERT_TRUE(win32::DeviceIoControl(device, 1, nullptr, 0, output, 4, nullptr, nullptr));
    EXPECT_TRUE(win32::CloseHandle(device));
}

TEST_F(Device, RedirectorGoneDuringARequest) {
    win32::HANDLE device = OpenControl();
    fake_->SetAnswer([](const FakeRedirector::Request&) { return std::optional<win32::Bytes>(); });
    std::uint8_t buffer[4] = {};
    win32::DWORD returned = 99;
    EXPECT_FALSE(win32::DeviceIoControl(device, 1, buffer, 4, buffer, 4, &returned, nullptr));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_GEN_FAILURE);
    EXPECT_EQ(returned, 0u);
    EXPECT_TRUE(win32::CloseHandle(device));
}

TEST_F(Device, ControlParametersAreCheckedBeforeAnythingIsSent) {
    win32::HANDLE device = OpenControl();
    std::vector<std::uint8_t> big(70000);
    std::uint8_t small[4] = {};
    auto* overlapped = reinterpret_cast<win32::OVERLAPPED*>(small);
    struct Case {
        const char* what;
        const void* input;
        win32::DWORD input_size;
        void* output;
        win32::DWORD output_size;
        win32::OVERLAPPED* overlapped;
    } cases[] = {
        {"overlapped", small, 4, small, 4, overlapped},
        {"input missing", nullptr, 4, small, 4, nullptr},
        {"output missing", small, 4, nullptr, 4, nullptr},
        {"input above 64 KiB", big.data(), 65537, small, 4, nullptr},
        {"output above 64 KiB", small, 4, big.data(), 65537, nullptr},
    };
    for (const Case& c : cases) {
        win32::DWORD returned = 99;
        win32::SetLastError(0);
        EXPECT_FALSE(win32::DeviceIoControl(device, 1, c.input, c.input_size, c.output,
                                            c.output_size, &returned, c.overlapped))
            << c.what;
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER) << c.what;
        EXPECT_EQ(returned, 0u) << c.what;
    }
    EXPECT_TRUE(fake_->Take().empty());
    // 64 KiB itself is allowed.
    EXPECT_TRUE(
        win32::DeviceIoControl(device, 1, big.data(), 65536, big.data(), 65536, nullptr, nullptr));
    EXPECT_TRUE(win32::CloseHandle(device));
}

TEST_F(Device, ControlOnAHandleThatIsNotOpen) {
    win32::HANDLE device = OpenControl();
    ASSERT_TRUE(win32::CloseHandle(device));
    std::uint8_t buffer[4] = {};
    for (win32::HANDLE handle :
         {device, win32::INVALID_HANDLE_VALUE, static_cast<win32::HANDLE>(nullptr)}) {
        win32::DWORD returned = 99;
        win32::SetLastError(0);
        EXPECT_FALSE(win32::DeviceIoControl(handle, 1, buffer, 4, buffer, 4, &returned, nullptr));
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_HANDLE);
        EXPECT_EQ(returned, 0u);
    }
    EXPECT_TRUE(fake_->Take().empty());
}

// Names on drives the drive table does not map, and network names, are the
// redirector's files: the open names the file, its access and flags.
TEST_F(Device, RedirectorFiles) {
    cvn_test::ScopedEnv drives("CVN_DRIVES", "C=/");
    struct Case {
        const char16_t* name;
        const char16_t* full;
        win32::DWORD unreachable;
    } cases[] = {
        {u"F:\\dir\\file.txt", u"F:\\dir\\file.txt", win32::ERROR_PATH_NOT_FOUND},
        {u"f:/dir/file.txt", u"f:\\dir\\file.txt", win32::ERROR_PATH_NOT_FOUND},
        {u"\\\\host\\export\\file.txt", u"\\\\host\\export\\file.txt", win32::ERROR_BAD_NETPATH},
    };
    for (const Case& c : cases) {
        fake_->SetReachable(true);
        win32::HANDLE file = OpenW(c.name, win32::FILE_READ_EA, win32::FILE_FLAG_BACKUP_SEMANTICS);
        ASSERT_NE(file, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
        std::vector<protocol::Request> sent = fake_->Take();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].operation, protocol::kOpenFile);
        EXPECT_EQ(sent[0].access, win32::FILE_READ_EA);
        EXPECT_EQ(sent[0].flags, win32::FILE_FLAG_BACKUP_SEMANTICS);
        EXPECT_EQ(sent[0].name, std::u16string(c.full));
        EXPECT_TRUE(win32::CloseHandle(file));

        // They are opened, never created, through this call.
        EXPECT_EQ(OpenW(c.name, kReadWrite, 0, win32::CREATE_ALWAYS), win32::INVALID_HANDLE_VALUE);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_NOT_SUPPORTED);

        fake_->SetReachable(false);
        EXPECT_EQ(OpenW(c.name), win32::INVALID_HANDLE_VALUE);
        EXPECT_EQ(win32::GetLastError(), c.unreachable);
    }
}

class HostFile : public testing::Test {
protected:
    HostFile() {
        cvn_test::WriteFile(file_, "data");
        ::mkdir(directory_.c_str(), 0755);
    }

    cvn_test::ScopedFakeRedirector fake_;
    cvn_test::TempDir dir_;
    std::string file_ = dir_ / "file.txt";
    std::string directory_ = dir_ / "sub";
};

TEST_F(HostFile, KnowsNoControlRequests) {
    win32::HANDLE file = OpenA(file_, win32::GENERIC_READ);
    ASSERT_NE(file, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
    std::uint8_t buffer[4] = {1, 2, 3, 4};
    win32::DWORD returned = 99;
    win32::SetLastError(0);
    EXPECT_FALSE(
        win32::DeviceIoControl(file, 0x0C083020, buffer, 4, buffer, 4, &returned, nullptr));
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_FUNCTION);
    EXPECT_EQ(returned, 0u);
    const std::uint8_t unchanged[4] = {1, 2, 3, 4};
    EXPECT_EQ(0, std::memcmp(buffer, unchanged, sizeof buffer));
    EXPECT_TRUE(win32::CloseHandle(file));
    EXPECT_EQ(fake_->connects(), 0);  // host files never reach the redirector
}

TEST_F(HostFile, ADirectoryOpensOnlyWithBackupSemantics) {
    struct Case {
        std::string name;
        win32::DWORD access;
        win32::DWORD flags;
        win32::DWORD error;  // 0: opens
    } cases[] = {
        {directory_, win32::FILE_READ_EA, 0, win32::ERROR_ACCESS_DENIED},
        {directory_, win32::GENERIC_READ, 0, win32::ERROR_ACCESS_DENIED},
        {directory_, win32::FILE_READ_EA, win32::FILE_FLAG_BACKUP_SEMANTICS, 0},
        {directory_, win32::FILE_WRITE_ATTRIBUTES, win32::FILE_FLAG_BACKUP_SEMANTICS, 0},
        {directory_, win32::GENERIC_READ, win32::FILE_FLAG_BACKUP_SEMANTICS, 0},
        {file_, win32::FILE_READ_EA, 0, 0},
        {file_, win32::FILE_READ_EA, win32::FILE_FLAG_BACKUP_SEMANTICS, 0},
        {dir_ / "missing", win32::GENERIC_READ, 0, win32::ERROR_FILE_NOT_FOUND},
        {dir_ / "missing/x", win32::GENERIC_READ, 0, win32::ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + " " + std::to_string(c.access) + " " + std::to_string(c.flags));
        for (bool wide : {true, false}) {
            win32::SetLastError(0);
            win32::HANDLE file =
                wide ? OpenW(std::u16string(c.name.begin(), c.name.end()), c.access, c.flags)
                     : OpenA(c.name, c.access, c.flags);
            if (c.error == 0) {
                ASSERT_NE(file, win32::INVALID_HANDLE_VALUE) << win32::GetLastError();
                EXPECT_TRUE(win32::CloseHandle(file));
            } else {
                EXPECT_EQ(file, win32::INVALID_HANDLE_VALUE);
                EXPECT_EQ(win32::GetLastError(), c.error);
            }
        }
    }
}

TEST(CreateFile, NullNameIsInvalidParameter) {
    EXPECT_EQ(win32::CreateFileW(nullptr, kReadWrite, 0, nullptr, win32::OPEN_EXISTING, 0, nullptr),
              win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
    win32::SetLastError(0);
    EXPECT_EQ(win32::CreateFileA(nullptr, kReadWrite, 0, nullptr, win32::OPEN_EXISTING, 0, nullptr),
              win32::INVALID_HANDLE_VALUE);
    EXPECT_EQ(win32::GetLastError(), win32::ERROR_INVALID_PARAMETER);
}

}  // namespace
