// The redirector of the network provider's requests, in-process: printer
// queues beside disk exports, the logged-on user, and the listings of a
// host's exports and printers.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/redirector/redirector_client.h"

namespace redirector_test {

namespace cr = cvn::credentials_record;
namespace lo = cvn::list_open_record;
namespace le = cvn::list_entry_record;

using Credentials = cvn::FixedRecord<cr::kSize>;
using ListOpen = cvn::FixedRecord<lo::kSize>;
using ListEntry = cvn::FixedRecord<le::kSize>;

// Printer device codes: LPT1 is '1'.
constexpr std::uint8_t kLpt1 = '1';
constexpr std::uint8_t kLpt2 = '2';
constexpr std::uint8_t kLpt9 = '9';

inline ListOpen OpenRecord(std::u16string_view host) {
    ListOpen record;
    cvn::InitializeHeader(record.view());
    cvn::CopyCountedName(host, record.view(), lo::kHost);
    return record;
}

inline ListEntry EntryRecord(std::uint32_t handle) {
    ListEntry record;
    cvn::InitializeHeader(record.view());
    record.view().SetU32(le::kListHandle, handle);
    return record;
}

struct Listed {
    std::u16string name;
    std::u16string text;
    std::uint32_t flags;
    bool operator==(const Listed&) const = default;
    friend void PrintTo(const Listed& l, std::ostream* os) {
        *os << testing::PrintToString(l.name) << " " << testing::PrintToString(l.text) << " "
            << l.flags;
    }
};

inline Listed ListedOf(const ListEntry& record) {
    return {cvn::CountedNameText(record.view(), le::kName),
            cvn::CountedNameText(record.view(), le::kText), record.view().U32(le::kFlags)};
}

// Host "alpha" serves disk exports and printer queues from a temporary tree;
// host "beta" has a printer queue and no disk export:
//
//   \\alpha\pub            pub/            anyone
//   \\alpha\secure         secure/         alice, s3cret
//   \\alpha\deep\er        deep/
//   \\alpha\twelve_chars   twelve/         a name of 12 characters
//   \\alpha\thirteen_char  thirteen/       13: too long to be listed
//   \\alpha\lp             spool/          printer queue, anyone
//   \\alpha\locked         locked/         printer queue, bob, pw
//   \\alpha\long_printers  spool/          printer queue, 13 characters
//   \\beta\betalp          beta/           printer queue
class ProviderRequestsTest : public ::testing::Test {
protected:
    ProviderRequestsTest() {
        for (const char* directory :
             {"pub", "secure", "deep", "twelve", "thirteen", "spool", "locked", "beta"}) {
            std::filesystem::create_directories(root_ / directory);
        }
        auto line = [&](const char* name, const std::string& directory,
                        const char* credentials = "") {
            return std::string("\\\\") + name + " \"" + directory + "\" " + credentials + "\n";
        };
        const std::string text = line("alpha\\pub", Host("pub")) +
                                 line("alpha\\secure", Host("secure"), "alice s3cret") +
                                 line("alpha\\deep\\er", Host("deep")) +
                                 line("alpha\\twelve_chars", Host("twelve")) +
                                 line("alpha\\thirteen_char", Host("thirteen")) +
                                 line("alpha\\lp", "printer:" + Host("spool")) +
                                 line("alpha\\locked", "printer:" + Host("locked"), "bob pw") +
                                 line("alpha\\long_printers", "printer:" + Host("spool")) +
                                 line("beta\\betalp", "printer:" + Host("beta"));
        std::string error;
        std::optional<cvnrd::ExportTable> exports = cvnrd::ExportTable::Parse(text, &error);
        EXPECT_TRUE(exports.has_value()) << error;
        redirector_ = std::make_shared<cvnrd::Redirector>(exports.value_or(cvnrd::ExportTable{}));
    }

    std::string Host(const std::string& name) const { return root_ / name; }
    std::unique_ptr<Client> Device() {
        auto client = std::make_unique<Client>(redirector_);
        EXPECT_TRUE(client->OpenDevice(protocol::kControlDevice95).ok);
        return client;
    }

    // Opens a listing and returns its handle, 0 when refused.
    static std::uint32_t Open(Client& client, win32::DWORD code, std::u16string_view host) {
        ListOpen record = OpenRecord(host);
        protocol::Reply reply = client.Control(code, record);
        EXPECT_TRUE(reply.ok) << "error " << reply.error << ", status " << StatusOf(reply);
        return reply.ok ? record.view().U32(lo::kListHandle) : 0;
    }
    // Every entry up to the end, which must come as status 507.
    static std::vector<Listed> Drain(Client& client, std::uint32_t handle) {
        std::vector<Listed> listed;
        for (int i = 0; i < 100; ++i) {
            ListEntry record = EntryRecord(handle);
            protocol::Reply reply = client.Control(cvn::FSCTL_SERVER_NEXT_ENTRY, record);
            if (!reply.ok) {
                EXPECT_EQ(reply.error, win32::ERROR_NO_MORE_ITEMS);
                EXPECT_EQ(record.status(), 507);
                break;
            }
            listed.push_back(ListedOf(record));
        }
        return listed;
    }

    cvn_test::TempDir root_;
    std::shared_ptr<cvnrd::Redirector> redirector_;
};

}  // namespace redirector_test
