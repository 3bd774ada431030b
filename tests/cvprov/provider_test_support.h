// What the suites of the provider's entry points share: the provider started
// as the platform starts it, over a registry of the test's own, the
// redirector attached in-process with an exports table of the test's own,
// a scripted user, and a record of every message sent to the redirector.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/records.h"
#include "common/redirector_codes.h"
#include "cvprov/netresource.h"
#include "cvprov/np_entries.h"
#include "cvprov/provider_state.h"
#include "platform/device.h"
#include "platform/device_protocol.h"
#include "platform/device_transport.h"
#include "platform/errors.h"
#include "platform/handles.h"
#include "platform/last_error.h"
#include "platform/ui_script.h"
#include "redirector/core/exports.h"
#include "redirector/core/in_process.h"
#include "tests/cvprov/cvprov_test_support.h"
#include "tests/support/files.h"
#include "tests/support/request_recorder.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace provider_test {

namespace protocol = win32::device_protocol;
namespace me = cvn::mount_entry;

using Recorder = cvn_test::RequestRecorder;

// The control requests among the messages, by code.
inline std::vector<std::uint32_t> Codes(const std::vector<protocol::Request>& sent) {
    std::vector<std::uint32_t> codes;
    for (const protocol::Request& request : sent) {
        if (request.operation == protocol::kControl) {
            codes.push_back(request.code);
        }
    }
    return codes;
}

inline std::size_t Opens(const std::vector<protocol::Request>& sent) {
    std::size_t opens = 0;
    for (const protocol::Request& request : sent) {
        opens += request.operation == protocol::kOpenDevice ? 1 : 0;
    }
    return opens;
}

// A mount entry as a request carried it.
inline cvn::MountEntry EntryOf(const protocol::Request& request) {
    cvn::MountEntry entry;
    std::memcpy(entry.data(), request.input.data(), std::min(request.input.size(), entry.size()));
    return entry;
}

inline std::string Narrow(const std::u16string& text) {
    return std::string(text.begin(), text.end());
}

inline const std::string kHost40(40, 'h');

// The provider on the platform kind `platform`, started with
// ProcessAttach(nullptr) and stopped with ProcessDetach(). The exports:
//   \\nfshost\pub      a directory anyone may connect
//   \\nfshost\secure   a directory for the user alice, password opensesame
//   \\nfshost\lp       a printer queue
//   \\$Corvane\pub     the redirector's own host name
//   \\hhh...h\pub      a host of 40 characters
// and the lines of `more_exports`, where "{pub}" stands for the directory of
// \\nfshost\pub.
class ProviderFixture {
protected:
    explicit ProviderFixture(const std::string& platform = "nt",
                             const std::string& more_exports = "")
        : registry_(platform), more_exports_(more_exports) {}

    // Starts the provider; false when it did not start.
    bool Attach() {
        attached_ = cvprov::ProcessAttach(nullptr);
        return attached_;
    }
    void Detach() {
        if (attached_) {
            cvprov::ProcessDetach();
            attached_ = false;
        }
    }

    static cvnrd::ExportTable Exports(const std::string& pub, const std::string& secure,
                                      const std::string& spool, std::string more) {
        for (size_t at = more.find("{pub}"); at != std::string::npos; at = more.find("{pub}")) {
            more.replace(at, 5, pub);
        }
        std::string error;
        std::optional<cvnrd::ExportTable> table = cvnrd::ExportTable::Parse(
            "\\\\nfshost\\pub " + pub + "\n" + "\\\\nfshost\\secure " + secure +
                " alice opensesame\n" + "\\\\nfshost\\lp printer:" + spool + "\n" +
                "\\\\$Corvane\\pub " + pub + "\n" + "\\\\" + kHost40 + "\\pub " + pub + "\n" + more,
            &error);
        EXPECT_TRUE(table.has_value()) << error;
        return table ? *table : cvnrd::ExportTable();
    }

    // A connection made as the shell makes one (narrow form).
    std::uint32_t Connect(const char* local, const char* remote, std::uint32_t type = 0,
                          const char* user = nullptr, const char* password = nullptr,
                          std::uint32_t flags = 0) {
        cvprov::NETRESOURCEA resource{};
        resource.dwType = type;
        resource.lpLocalName = const_cast<char*>(local);
        resource.lpRemoteName = const_cast<char*>(remote);
        return NPAddConnection(nullptr, &resource, const_cast<char*>(password),
                               const_cast<char*>(user), flags, nullptr, nullptr, nullptr);
    }

    // The remote name of a local device, "" when NPGetConnection fails.
    std::string RemoteOf(const char* local) {
        char remote[300] = {};
        std::uint32_t size = sizeof remote;
        return NPGetConnection(local, remote, &size) == 0 ? remote : "";
    }

    // Sets the logged-on user as the logon entry does.
    void SetLoggedOnUser(const std::u16string& user) {
        std::uint8_t record[cvn::credentials_record::kSize] = {};
        win32::ByteView view(record, sizeof record);
        cvn::InitializeHeader(view);
        cvn::CopyCountedName(user, view, cvn::credentials_record::kUserName);
        win32::UniqueHandle device(win32::CreateFileA("\\\\.\\VCORV",
                                                      win32::GENERIC_READ | win32::GENERIC_WRITE, 0,
                                                      nullptr, win32::OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(device.valid());
        win32::DWORD returned = 0;
        ASSERT_TRUE(win32::DeviceIoControl(device.get(), cvn::FSCTL_SERVER_SET_USER, record,
                                           sizeof record, record, sizeof record, &returned,
                                           nullptr));
        recorder_->Take();
    }

    cvnrd::Redirector& redirector() { return in_process_.redirector(); }

    cvprov_test::PrivateRegistry registry_;
    // The catalogs of the build, and nothing of the environment the tests
    // happen to run in.
    struct Environment {
        Environment() {
            env.Set("CVN_LIBPATH", CVN_BIN_DIR)
                .Set("CVN_DRIVES", "")
                .Set("LC_ALL", "")
                .Set("LC_MESSAGES", "")
                .Set("LANG", "C");
        }
        cvn_test::ScopedEnv env;
    } environment_;
    cvn_test::TempDir pub_;
    cvn_test::TempDir secure_;
    cvn_test::TempDir spool_;
    std::string more_exports_;
    cvnrd::ScopedInProcessRedirector in_process_{
        Exports(pub_.path(), secure_.path(), spool_.path(), more_exports_)};
    std::shared_ptr<Recorder> recorder_ = [this] {
        auto recorder = std::make_shared<Recorder>(&in_process_.transport());
        win32::SetDeviceTransport(recorder);
        return recorder;
    }();
    win32::ScopedScriptedUi ui_;
    bool attached_ = false;
};

// The fixture as a test: the provider started before each test body and
// stopped after it, nothing sent to the redirector yet.
class Provider : public ProviderFixture, public testing::Test {
protected:
    explicit Provider(const std::string& platform = "nt", const std::string& more_exports = "")
        : ProviderFixture(platform, more_exports) {}
    void SetUp() override {
        ASSERT_TRUE(Attach()) << win32::GetLastError();
        recorder_->Take();
    }
    void TearDown() override { Detach(); }
};

// The same on both platform kinds.
class ProviderOnBoth : public ProviderFixture, public testing::TestWithParam<std::string> {
protected:
    ProviderOnBoth() : ProviderFixture(GetParam()) {}
    void SetUp() override {
        ASSERT_TRUE(Attach()) << win32::GetLastError();
        recorder_->Take();
    }
    void TearDown() override { Detach(); }
};

}  // namespace provider_test
