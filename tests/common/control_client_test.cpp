// The redirector control client against the redirector attached in-process:
// which device or file each wrapper opens, what it sends, what comes back,
// and the developers' message of every failure, on Windows NT and on
// Windows 95.
#include "common/control_client.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "platform/device.h"
#include "platform/device_protocol.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "redirector/core/exports.h"
#include "redirector/core/in_process.h"
#include "tests/support/files.h"
#include "tests/support/request_recorder.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

namespace protocol = win32::device_protocol;
namespace me = cvn::mount_entry;

using Recorder = cvn_test::RequestRecorder;

cvnrd::ExportTable ExportsOf(const std::string& directory) {
    std::string error;
    std::optional<cvnrd::ExportTable> table =
        cvnrd::ExportTable::Parse("\\\\nfshost\\export " + directory + "\n", &error);
    EXPECT_TRUE(table.has_value()) << error;
    return table ? *table : cvnrd::ExportTable();
}

std::u16string CountedPathAt(const win32::Bytes& buffer, std::size_t offset) {
    win32::ByteView view(const_cast<std::uint8_t*>(buffer.data()), buffer.size());
    return view.Chars(offset + 2, view.U16(offset) / 2);
}

mode_t HostMode(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

class ControlClient : public testing::Test {
protected:
    ControlClient() {
        cvn_test::WriteFile(export_ / "file.txt", "contents\n");
        ::chmod((export_ / "file.txt").c_str(), 0644);
        ::mkdir((export_ / "sub").c_str(), 0755);
        ::chmod((export_ / "sub").c_str(), 0755);
        cvn_test::WriteFile(log_, "");
        win32::SetDeviceTransport(recorder_);
    }

    // A mount made the way the network provider makes one; the request goes
    // out directly, so the wrappers under test play no part in it.
    void AddDisk(char letter, const char16_t* host, const char16_t* path) {
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code(static_cast<std::uint8_t>(letter));
        entry.SetText(me::kHost, host);
        entry.SetText(me::kPath, path);
        win32::HANDLE device = win32::CreateFileW(u"\\\\.\\CVNCTL", kReadWrite, 0, nullptr,
                                                  win32::OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(device, win32::INVALID_HANDLE_VALUE);
        win32::UniqueHandle owner(device);
        win32::DWORD returned = 0;
        ASSERT_TRUE(win32::DeviceIoControl(device, cvn::FSCTL_SERVER_ADD_DISK, entry.data(),
                                           me::kSize, entry.data(), me::kSize, &returned, nullptr))
            << win32::GetLastError();
        recorder_->Take();
    }

    std::string Logged() const { return cvn_test::ReadFile(log_); }
    void ClearLog() { cvn_test::WriteFile(log_, ""); }
    void Unreachable() { in_process_.transport().SetReachable(false); }

    static constexpr win32::DWORD kReadWrite = win32::GENERIC_READ | win32::GENERIC_WRITE;

    cvn_test::TempDir export_;
    cvn_test::TempDir scratch_;
    std::string log_ = scratch_ / "debug.log";
    cvn_test::ScopedEnv env_{"CVN_DEBUG_LOG", log_};
    cvnrd::ScopedInProcessRedirector in_process_{ExportsOf(export_.path())};
    std::shared_ptr<Recorder> recorder_ = std::make_shared<Recorder>(&in_process_.transport());
};

struct Platform {
    const char* kind;
    std::uint32_t device;  // the control device the platform's wrappers open
};
constexpr Platform kServed[] = {{"nt", protocol::kControlDeviceNt},
                                {"95", protocol::kControlDevice95}};

TEST_F(ControlClient, OpenControlDeviceOpensThePlatformsDevice) {
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        win32::HANDLE device = nullptr;
        ASSERT_EQ(cvn::OpenControlDevice(&device), 0u) << platform.kind;
        ASSERT_NE(device, win32::INVALID_HANDLE_VALUE);
        ASSERT_NE(device, nullptr);
        std::vector<protocol::Request> sent = recorder_->Take();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
        EXPECT_EQ(sent[0].device, platform.device) << platform.kind;
        EXPECT_TRUE(win32::CloseHandle(device));
    }
}

TEST_F(ControlClient, OpenControlDeviceWithoutRedirector) {
    Unreachable();
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        win32::HANDLE device = nullptr;
        EXPECT_EQ(cvn::OpenControlDevice(&device), win32::ERROR_FILE_NOT_FOUND) << platform.kind;
        EXPECT_EQ(device, win32::INVALID_HANDLE_VALUE);
    }
    EXPECT_EQ(Logged(), "");  // OpenControlDevice itself says nothing
}

TEST_F(ControlClient, MountRequestSendsTheWholeEntryAndReceivesIt) {
    AddDisk('F', u"nfshost", u"export");
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code('F');
        ASSERT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT), 0u) << platform.kind;
        EXPECT_EQ(entry.status(), 0);
        EXPECT_EQ(entry.device_code(), 'F');
        EXPECT_EQ(entry.Text(me::kHost), u"nfshost");
        EXPECT_EQ(entry.Text(me::kPath), u"export");

        std::vector<protocol::Request> sent = recorder_->Take();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
        EXPECT_EQ(sent[0].device, platform.device);
        EXPECT_EQ(sent[1].operation, protocol::kControl);
        EXPECT_EQ(sent[1].code, 0x0C03300Cu);
        EXPECT_EQ(sent[1].input.size(), 5088u);
        EXPECT_EQ(sent[1].output_size, 5088u);
        EXPECT_EQ(sent[1].input[0], 0x46);  // the tag leads the entry
        EXPECT_EQ(sent[1].input[68], 'F');
    }
    EXPECT_EQ(Logged(), "");
}

TEST_F(ControlClient, MountRequestFailures) {
    AddDisk('F', u"nfshost", u"export");
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);

        // No mount on Q: the redirector's status comes back in the record.
        ClearLog();
        cvn::MountEntry entry;
        entry.Initialize();
        entry.set_device_code('Q');
        EXPECT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT),
                  win32::ERROR_NOT_CONNECTED);
        EXPECT_EQ(entry.status(), cvn::kStatusNoSuchMount);
        EXPECT_EQ(Logged(), "FSCTL_SERVER_GETMNT/FSCTL_SERVER_SETMNT failed (error = 2250)\n")
            << platform.kind;

        // A refusal of the redirector's own choosing.
        ClearLog();
        entry.Initialize();
        entry.set_device_code('F');
        in_process_.redirector().FailNextRequest({2005, win32::ERROR_IO_DEVICE});
        EXPECT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT), win32::ERROR_IO_DEVICE);
        EXPECT_EQ(entry.status(), 2005);
        EXPECT_EQ(Logged(), "FSCTL_SERVER_GETMNT/FSCTL_SERVER_SETMNT failed (error = 1117)\n");
    }
    Unreachable();
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        ClearLog();
        cvn::MountEntry entry;
        entry.Initialize();
        EXPECT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT),
                  win32::ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(Logged(), "Open handle for Corvane NT redirector failed (error = 2)\n")
            << platform.kind;
    }
}

TEST_F(ControlClient, GetInfo) {
    AddDisk('F', u"nfshost", u"export");
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        ClearLog();
        recorder_->Take();
        cvn::Statistics statistics;
        statistics.Initialize();
        ASSERT_EQ(cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT), 0u);
        EXPECT_EQ(statistics.status(), 0);
        EXPECT_EQ(statistics.counter(2), 1u);  // the one connection made
        std::vector<protocol::Request> sent = recorder_->Take();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].device, platform.device);
        EXPECT_EQ(sent[1].code, 0x0C043010u);
        EXPECT_EQ(sent[1].input.size(), 28u);
        EXPECT_EQ(sent[1].output_size, 28u);
        EXPECT_EQ(Logged(), "");

        in_process_.redirector().FailNextRequest({70, win32::ERROR_NETNAME_DELETED});
        EXPECT_EQ(cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT),
                  win32::ERROR_NETNAME_DELETED);
        EXPECT_EQ(statistics.status(), 70);
        EXPECT_EQ(Logged(), "CvnGetInfo: FSCTL_SERVER_GETIDSTAT failed (error = 64)\n")
            << platform.kind;
    }
    Unreachable();
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        ClearLog();
        cvn::Statistics statistics;
        statistics.Initialize();
        EXPECT_EQ(cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT),
                  win32::ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(Logged(), "CvnGetInfo: CreateFile failed (error = 2)\n") << platform.kind;
    }
}

// Windows NT: the attributes travel on a handle of the file itself, opened
// for reading extended attributes with backup semantics.
TEST_F(ControlClient, GetNfsAttrOnWindowsNtUsesAHandleOfTheFile) {
    AddDisk('F', u"nfshost", u"export");
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "nt");
    struct stat host {};
    ASSERT_EQ(::stat((export_ / "file.txt").c_str(), &host), 0);

    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_EQ(cvn::CvnGetNfsAttr(attributes, u"F:\\file.txt"), 0u);
    EXPECT_EQ(attributes.status(), 0);
    EXPECT_EQ(attributes.type(), 1u);
    EXPECT_EQ(attributes.mode() & 07777, 0644u);
    EXPECT_EQ(attributes.uid(), host.st_uid);
    EXPECT_EQ(attributes.gid(), host.st_gid);

    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].operation, protocol::kOpenFile);
    EXPECT_EQ(sent[0].access, 0x0008u);  // FILE_READ_EA
    EXPECT_EQ(sent[0].flags, 0x02000000u);
    EXPECT_EQ(sent[0].name, u"F:\\file.txt");
    EXPECT_EQ(sent[1].operation, protocol::kControl);
    EXPECT_EQ(sent[1].code, 0x0C083020u);
    EXPECT_EQ(sent[1].input.size(), 104u);
    EXPECT_EQ(sent[1].output_size, 104u);

    // A directory opens too, and is a directory.
    attributes.Initialize();
    ASSERT_EQ(cvn::CvnGetNfsAttr(attributes, u"F:\\sub"), 0u);
    EXPECT_EQ(attributes.type(), 2u);
    EXPECT_EQ(attributes.mode() & 07777, 0755u);
    EXPECT_EQ(Logged(), "");
}

// Windows 95: the record and the full path go together to \\.\VCORV in the
// larger buffer; the record comes back.
TEST_F(ControlClient, GetNfsAttrOnWindows95SendsThePathInTheLargerBuffer) {
    AddDisk('F', u"nfshost", u"export");
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "95");
    cvn::NfsAttributes attributes;
    std::memset(attributes.data(), 0x77, attributes.size());
    attributes.Initialize();
    const win32::Bytes sent_record(attributes.data(), attributes.data() + attributes.size());

    ASSERT_EQ(cvn::CvnGetNfsAttr(attributes, u"F:\\sub"), 0u);
    EXPECT_EQ(attributes.type(), 2u);
    EXPECT_EQ(attributes.mode() & 07777, 0755u);

    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
    EXPECT_EQ(sent[0].device, protocol::kControlDevice95);
    EXPECT_EQ(sent[1].code, 0x0C143050u);
    ASSERT_EQ(sent[1].input.size(), 2160u);
    EXPECT_EQ(sent[1].output_size, 2160u);
    EXPECT_EQ(win32::Bytes(sent[1].input.begin(), sent[1].input.begin() + 104), sent_record);
    EXPECT_EQ(sent[1].input[104], 12);  // six characters
    EXPECT_EQ(sent[1].input[105], 0);
    EXPECT_EQ(CountedPathAt(sent[1].input, 104), u"F:\\sub");
    EXPECT_EQ(win32::Bytes(sent[1].input.begin() + 118, sent[1].input.end()),
              win32::Bytes(2160 - 118, 0));  // padding
    EXPECT_EQ(Logged(), "");
}

TEST_F(ControlClient, SetNfsAttrChangesTheHostFilesMode) {
    AddDisk('F', u"nfshost", u"export");
    struct Case {
        const char* kind;
        const char16_t* name;
        std::string host_path;
        mode_t mode;
        std::uint32_t code;
        std::size_t size;
    } cases[] = {
        {"nt", u"F:\\file.txt", export_ / "file.txt", 0600, 0x0C07301C, 48},
        {"95", u"F:\\sub", export_ / "sub", 0751, 0x0C13304C, 2104},
    };
    for (const Case& c : cases) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", c.kind);
        cvn::SetAttributes set;
        set.Initialize();
        set.SetMode(c.mode);
        ASSERT_EQ(cvn::CvnSetNfsAttr(set, c.name), 0u) << c.kind;
        EXPECT_EQ(HostMode(c.host_path), c.mode) << c.kind;

        std::vector<protocol::Request> sent = recorder_->Take();
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[1].code, c.code);
        ASSERT_EQ(sent[1].input.size(), c.size);
        EXPECT_EQ(sent[1].output_size, c.size);
        EXPECT_EQ(sent[1].input[40], 0x01);  // only the mode is to be set
        if (std::string(c.kind) == "nt") {
            EXPECT_EQ(sent[0].operation, protocol::kOpenFile);
            EXPECT_EQ(sent[0].access, 0x0100u);  // FILE_WRITE_ATTRIBUTES
            EXPECT_EQ(sent[0].flags, 0x02000000u);
            EXPECT_EQ(sent[0].name, c.name);
        } else {
            EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
            EXPECT_EQ(sent[0].device, protocol::kControlDevice95);
            EXPECT_EQ(CountedPathAt(sent[1].input, 48), c.name);
        }
    }
    EXPECT_EQ(Logged(), "");
}

// Every failure of the attribute wrappers, with its developers' message,
// which differs in places between the two platforms.
TEST_F(ControlClient, AttributeRequestFailures) {
    AddDisk('F', u"nfshost", u"export");
    enum class Fault { MissingFile, Refused, NoRedirector };
    struct Case {
        const char* kind;
        bool set;
        Fault fault;
        win32::DWORD error;
        const char* logged;
    } cases[] = {
        {"nt", false, Fault::MissingFile, 2, "CvnGetNfsAttr: CreateFile failed (error = 2)\n"},
        {"nt", false, Fault::Refused, 64,
         "CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (error = 64)\n"},
        {"nt", true, Fault::MissingFile, 2, "CvnSetNfsAttr: CreateFile failed (error = 2)\n"},
        {"nt", true, Fault::Refused, 64,
         "CvnSetNfsAttr: FSCTL_SERVER_SET_NFSATR failed (error = 64)\n"},
        {"95", false, Fault::MissingFile, 2,
         "CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (err = 2)\n"},
        {"95", false, Fault::Refused, 64,
         "CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (err = 64)\n"},
        {"95", true, Fault::Refused, 64,
         "CvnSetNfsAttr: FSCTL_SERVER_SET_NFSATR failed ( error = 64 )\n"},
        {"nt", false, Fault::NoRedirector, 3, "CvnGetNfsAttr: CreateFile failed (error = 3)\n"},
        {"nt", true, Fault::NoRedirector, 3, "CvnSetNfsAttr: CreateFile failed (error = 3)\n"},
        {"95", false, Fault::NoRedirector, 2, "CvnGetNfsAttr: CreateFile failed (error = 2)\n"},
        {"95", true, Fault::NoRedirector, 2, "CvnSetNfsAttr: CreateFile failed ( error = 2 )\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + (c.set ? " set " : " get ") +
                     std::to_string(static_cast<int>(c.fault)));
        cvn_test::ScopedEnv kind("CVN_PLATFORM", c.kind);
        ClearLog();
        const char16_t* name = c.fault == Fault::MissingFile ? u"F:\\missing" : u"F:\\file.txt";
        if (c.fault == Fault::Refused) {
            in_process_.redirector().FailNextRequest({70, win32::ERROR_NETNAME_DELETED});
        }
        in_process_.transport().SetReachable(c.fault != Fault::NoRedirector);
        if (c.set) {
            cvn::SetAttributes set;
            set.Initialize();
            set.SetMode(0600);
            EXPECT_EQ(cvn::CvnSetNfsAttr(set, name), c.error);
        } else {
            cvn::NfsAttributes attributes;
            attributes.Initialize();
            EXPECT_EQ(cvn::CvnGetNfsAttr(attributes, name), c.error);
            // On Windows NT the refused record comes back with the
            // redirector's status; on Windows 95 the record is copied back
            // only on success.
            if (c.fault == Fault::Refused) {
                EXPECT_EQ(attributes.status(), std::string(c.kind) == "nt" ? 70 : 0);
            }
        }
        EXPECT_EQ(Logged(), c.logged);
        in_process_.transport().SetReachable(true);
    }
    EXPECT_EQ(HostMode(export_ / "file.txt"), 0644u);  // no refused request changed it
}

// The Windows 95 buffer holds 1024 characters of path. A longer path is
// refused before anything is sent: cut to 1024 characters it would name
// another file, here one that exists.
TEST_F(ControlClient, Windows95RefusesAPathLongerThanItsField) {
    AddDisk('F', u"nfshost", u"export");
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "95");
    std::string host = export_.path();
    std::u16string name = u"F:";
    for (char c : {'a', 'b', 'c', 'd'}) {
        host += "/" + std::string(200, c);
        name += u"\\" + std::u16string(200, static_cast<char16_t>(c));
        ASSERT_EQ(::mkdir(host.c_str(), 0755), 0);
    }
    name += u"\\" + std::u16string(217, u'x');
    host += "/" + std::string(217, 'x');
    ASSERT_EQ(name.size(), 1024u);
    cvn_test::WriteFile(host, "");

    cvn::SetAttributes set;
    set.Initialize();
    set.SetMode(0600);
    ASSERT_EQ(cvn::CvnSetNfsAttr(set, name.c_str()), 0u);
    EXPECT_EQ(HostMode(host), 0600u);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_EQ(cvn::CvnGetNfsAttr(attributes, name.c_str()), 0u);
    EXPECT_EQ(attributes.mode() & 07777, 0600u);
    recorder_->Take();

    const std::u16string longer = name + u"x";
    set.Initialize();
    set.SetMode(0700);
    EXPECT_EQ(cvn::CvnSetNfsAttr(set, longer.c_str()), win32::ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(Logged(), "CvnSetNfsAttr: FSCTL_SERVER_SET_NFSATR failed ( error = 206 )\n");
    ClearLog();
    std::memset(attributes.data(), 0x55, attributes.size());
    attributes.Initialize();
    EXPECT_EQ(cvn::CvnGetNfsAttr(attributes, longer.c_str()), win32::ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(attributes.type(), 0x55555555u);
    EXPECT_EQ(Logged(), "CvnGetNfsAttr: FSCTL_SERVER_GET_NFSATR failed (err = 206)\n");
    EXPECT_TRUE(recorder_->Take().empty());
    EXPECT_EQ(HostMode(host), 0600u);
}

class MountEnumeration : public ControlClient {
protected:
    // The devices of all entries, read on one handle until the request fails.
    std::vector<int> Enumerate(win32::HANDLE device, win32::DWORD* error) {
        std::vector<int> devices;
        cvn::MountEntry entry;
        entry.Initialize();
        for (int guard = 0; guard < 10; ++guard) {
            *error = cvn::NextMountEntry(device, entry);
            if (*error != 0) {
                break;
            }
            devices.push_back(entry.device_code());
        }
        return devices;
    }
};

TEST_F(MountEnumeration, WithoutMountsTheFirstRequestFails) {
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        win32::HANDLE device = nullptr;
        ASSERT_EQ(cvn::OpenControlDevice(&device), 0u);
        win32::UniqueHandle owner(device);
        cvn::MountEntry entry;
        entry.Initialize();
        EXPECT_EQ(cvn::NextMountEntry(device, entry), win32::ERROR_NO_MORE_ITEMS);
        EXPECT_EQ(win32::GetLastError(), win32::ERROR_NO_MORE_ITEMS);
        EXPECT_EQ(cvn::NextMountEntry(device, entry), win32::ERROR_NO_MORE_ITEMS);
    }
    EXPECT_EQ(Logged(), "");
}

TEST_F(MountEnumeration, ReturnsTheMountsInOrderThenStartsOver) {
    AddDisk('G', u"nfshost", u"export");
    AddDisk('\0', u"nfshost", u"export\\sub");
    AddDisk('F', u"nfshost", u"export");
    for (const Platform& platform : kServed) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform.kind);
        win32::HANDLE device = nullptr;
        ASSERT_EQ(cvn::OpenControlDevice(&device), 0u);
        win32::UniqueHandle owner(device);
        for (int round = 0; round < 2; ++round) {
            win32::DWORD error = 0;
            EXPECT_EQ(Enumerate(device, &error), (std::vector<int>{'G', 0, 'F'})) << round;
            EXPECT_EQ(error, win32::ERROR_NO_MORE_ITEMS);
        }
        std::vector<protocol::Request> sent = recorder_->Take();
        ASSERT_EQ(sent.size(), 9u);  // one open, then 2 x (3 mounts + the end)
        EXPECT_EQ(sent[0].device, platform.device);
        for (std::size_t i = 1; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i].code, 0x0C0E3038u);
            EXPECT_EQ(sent[i].input.size(), 5088u);
        }
    }
}

TEST_F(MountEnumeration, EachHandleKeepsItsOwnPosition) {
    AddDisk('F', u"nfshost", u"export");
    AddDisk('G', u"nfshost", u"export");
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "nt");
    win32::HANDLE first = nullptr;
    win32::HANDLE second = nullptr;
    ASSERT_EQ(cvn::OpenControlDevice(&first), 0u);
    ASSERT_EQ(cvn::OpenControlDevice(&second), 0u);
    win32::UniqueHandle own_first(first);
    win32::UniqueHandle own_second(second);
    cvn::MountEntry entry;
    entry.Initialize();
    ASSERT_EQ(cvn::NextMountEntry(first, entry), 0u);
    EXPECT_EQ(entry.device_code(), 'F');
    ASSERT_EQ(cvn::NextMountEntry(second, entry), 0u);
    EXPECT_EQ(entry.device_code(), 'F');
    ASSERT_EQ(cvn::NextMountEntry(first, entry), 0u);
    EXPECT_EQ(entry.device_code(), 'G');
}

TEST_F(MountEnumeration, FaultShowsInTheStatusWord) {
    AddDisk('F', u"nfshost", u"export");
    cvn_test::ScopedEnv kind("CVN_PLATFORM", "95");
    win32::HANDLE device = nullptr;
    ASSERT_EQ(cvn::OpenControlDevice(&device), 0u);
    win32::UniqueHandle owner(device);
    cvn::MountEntry entry;
    entry.Initialize();
    in_process_.redirector().FailNextRequest({2005, win32::ERROR_IO_DEVICE});
    EXPECT_EQ(cvn::NextMountEntry(device, entry), win32::ERROR_IO_DEVICE);
    EXPECT_EQ(entry.status(), 2005);
    EXPECT_EQ(cvn::NextMountEntry(device, entry), 0u);
    EXPECT_EQ(entry.device_code(), 'F');
}

// Win32s and unknown platforms have no redirector: the wrappers do nothing
// and report success, and no request leaves the process.
TEST_F(ControlClient, UnservedPlatformsDoNothing) {
    AddDisk('F', u"nfshost", u"export");
    for (const char* platform : {"win32s", "other"}) {
        cvn_test::ScopedEnv kind("CVN_PLATFORM", platform);
        win32::HANDLE device = win32::INVALID_HANDLE_VALUE;
        EXPECT_EQ(cvn::OpenControlDevice(&device), 0u);
        EXPECT_EQ(device, nullptr);

        cvn::MountEntry entry;
        std::memset(entry.data(), 0x33, entry.size());
        const win32::Bytes entry_before(entry.data(), entry.data() + entry.size());
        EXPECT_EQ(cvn::CvnMountRequest(entry, cvn::FSCTL_SERVER_GETMNT), 0u);
        EXPECT_EQ(win32::Bytes(entry.data(), entry.data() + entry.size()), entry_before);

        cvn::Statistics statistics;
        std::memset(statistics.data(), 0x33, statistics.size());
        EXPECT_EQ(cvn::CvnGetInfo(statistics, cvn::FSCTL_SERVER_GETIDSTAT), 0u);
        EXPECT_EQ(statistics.status(), 0x3333);

        cvn::NfsAttributes attributes;
        std::memset(attributes.data(), 0x33, attributes.size());
        EXPECT_EQ(cvn::CvnGetNfsAttr(attributes, u"F:\\file.txt"), 0u);
        EXPECT_EQ(attributes.type(), 0x33333333u);

        cvn::SetAttributes set;
        set.Initialize();
        set.SetMode(0600);
        EXPECT_EQ(cvn::CvnSetNfsAttr(set, u"F:\\file.txt"), 0u);

        EXPECT_TRUE(recorder_->Take().empty()) << platform;
    }
    EXPECT_EQ(HostMode(export_ / "file.txt"), 0644u);
    EXPECT_EQ(Logged(), "");
}

}  // namespace
