// Making connections: which requests the arguments lead to, what a request
// carries, the retry loop that asks the user, and the host remembered in the
// user's name space.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cvprov/user_info_dialog.h"
#include "tests/cvprov/provider_test_support.h"

namespace {

using namespace provider_test;

constexpr std::uint32_t kAny = cvprov::RESOURCETYPE_ANY;
constexpr std::uint32_t kDisk = cvprov::RESOURCETYPE_DISK;
constexpr std::uint32_t kPrint = cvprov::RESOURCETYPE_PRINT;
constexpr std::uint32_t kInteractive = cvprov::CONNECT_INTERACTIVE;
constexpr std::uint32_t kAddDisk = cvn::FSCTL_SERVER_ADD_DISK;
constexpr std::uint32_t kAddPrinter = cvn::FSCTL_SERVER_ADD_PRINTER;

class AddConnection : public Provider {};

// Each row is made on the same redirector, one after the other; no two rows
// make the same connection.
TEST_F(AddConnection, DecisionTable) {
    const std::string host41 = "\\\\" + std::string(41, 'h') + "\\pub";
    struct Case {
        const char* local;
        std::uint32_t type;
        const char* remote;
        std::uint32_t expected;
        std::size_t opens;  // device opens: one per attempt
        std::vector<std::uint32_t> codes;
    };
    const Case cases[] = {
        // The local name and the type decide before anything is sent.
        {"E:", kAny, "\\\\nfshost\\pub", 1200, 0, {}},
        {"LPT1", kAny, "\\\\nfshost\\lp", 1200, 0, {}},
        {"LPT1", kDisk, "\\\\nfshost\\pub", 1200, 0, {}},
        {"E:", kPrint, "\\\\nfshost\\lp", 1200, 0, {}},
        {"Q", kDisk, "\\\\nfshost\\pub", 1200, 0, {}},
        {"E:", 4, "\\\\nfshost\\pub", 1200, 0, {}},  // no type bit: disk or printer
        // The remote name must begin with two backslashes.
        {nullptr, kDisk, nullptr, 67, 0, {}},
        {nullptr, kDisk, "nfshost\\pub", 67, 0, {}},
        {nullptr, kDisk, "\\nfshost\\pub", 67, 0, {}},
        // A host alone, a host without a path, a host too long: nothing is
        // sent; a printer attempt follows only where printers are allowed.
        {nullptr, kAny, "\\\\nfshost", 67, 2, {}},
        {nullptr, kDisk, "\\\\nfshost", 67, 1, {}},
        {nullptr, kDisk, "\\\\nfshost\\", 67, 1, {}},
        {nullptr, kDisk, host41.c_str(), 67, 1, {}},
        // Connections, each of the kind asked for.
        {"F:", kDisk, "\\\\nfshost\\pub", 0, 1, {kAddDisk}},
        {"", kDisk, "\\\\nfshost\\pub", 0, 1, {kAddDisk}},
        {"LPT2", kPrint, "\\\\nfshost\\lp", 0, 1, {kAddPrinter}},
        {nullptr, kAny, "\\\\nfshost\\lp", 0, 2, {kAddDisk, kAddPrinter}},
        // A disk-only request never becomes a printer connection.
        {nullptr, kDisk, "\\\\nfshost\\lp", 67, 1, {kAddDisk}},
        {"G:", kDisk, "\\\\nfshost\\lp", 67, 1, {kAddDisk}},
        {nullptr, kPrint, "\\\\nfshost\\pub", 67, 1, {kAddPrinter}},
        {nullptr, kAny, "\\\\otherhost\\pub", 67, 2, {kAddDisk, kAddPrinter}},
        // A refusal that is not a bad name ends it: the letter is taken.
        {"F:", kDisk, "\\\\nfshost\\pub", 183, 1, {kAddDisk}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.local ? c.local : "(null)") + " " + std::to_string(c.type) +
                     " " + (c.remote ? c.remote : "(null)"));
        const std::size_t mounts = redirector().mount_count();
        EXPECT_EQ(Connect(c.local, c.remote, c.type), c.expected);
        std::vector<protocol::Request> sent = recorder_->Take();
        EXPECT_EQ(Opens(sent), c.opens);
        EXPECT_EQ(Codes(sent), c.codes);
        EXPECT_EQ(redirector().mount_count(), mounts + (c.expected == 0 ? 1 : 0));
    }
    EXPECT_EQ(RemoteOf("F:"), "\\\\nfshost\\pub");
    EXPECT_EQ(RemoteOf("LPT2"), "\\\\nfshost\\lp");
    EXPECT_EQ(RemoteOf("G:"), "");
    EXPECT_TRUE(ui_->message_boxes().empty());
    EXPECT_TRUE(ui_->dialogs().empty());
}

// What one disk request carries: the device code, the host and the path,
// the user name cut to 32 characters and the password to 16, in a fresh
// record on the Windows 95 device.
TEST_F(AddConnection, TheRequestCarriesTheNamesCutToTheirFields) {
    const std::string user40 = "u123456789abcdefghijklmnopqrstuvwxyzABCD";
    const std::string password20 = "p123456789ABCDEFGHIJ";
    const std::string remote = "\\\\" + kHost40 + "\\pub\\";
    ASSERT_EQ(Connect("K:", remote.c_str(), kDisk, user40.c_str(), password20.c_str()), 0u);
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].operation, protocol::kOpenDevice);
    EXPECT_EQ(sent[0].device, protocol::kControlDevice95);
    ASSERT_EQ(sent[1].code, kAddDisk);
    ASSERT_EQ(sent[1].input.size(), me::kSize);
    EXPECT_EQ(sent[1].output_size, me::kSize);
    cvn::MountEntry entry = EntryOf(sent[1]);
    EXPECT_EQ(entry.tag(), 326);
    EXPECT_EQ(entry.status(), 0);
    EXPECT_EQ(entry.device_code(), 'K');
    EXPECT_EQ(entry.device_type(), 0u);
    EXPECT_EQ(entry.device_word() & me::kConfirmationBit, 0u);
    EXPECT_EQ(Narrow(entry.Text(me::kHost)), kHost40);
    EXPECT_EQ(Narrow(entry.Text(me::kPath)), "pub\\");
    EXPECT_EQ(Narrow(entry.Text(me::kUserName)), user40.substr(0, 32));
    EXPECT_EQ(Narrow(entry.Text(me::kPassword)), password20.substr(0, 16));
    EXPECT_EQ(entry.view().U16(me::kPassword.offset), 32);
    EXPECT_EQ(entry.view().U32(me::kPreferredGid), 0xFFFFFFFFu);
    EXPECT_EQ(entry.Text(me::kRoot), u"");
    EXPECT_EQ(RemoteOf("K:"), "\\\\" + kHost40 + "\\pub\\");
}

// The Windows NT form takes a wide NETRESOURCE and talks to \\.\CVNCTL; a
// connection it makes is the one the Windows 95 form would make.
TEST_F(AddConnection, WindowsNtFormUsesTheNtDevice) {
    std::u16string local = u"H:";
    std::u16string remote = u"\\\\nfshost\\secure";
    std::u16string user = u"alice";
    std::u16string password = u"opensesame";
    cvprov::NETRESOURCEW resource{};
    resource.dwType = kDisk;
    resource.lpLocalName = local.data();
    resource.lpRemoteName = remote.data();
    EXPECT_EQ(NPAddConnection3(nullptr, &resource, password.data(), user.data(), 4), 0u);
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].device, protocol::kControlDeviceNt);
    EXPECT_EQ(sent[1].code, kAddDisk);
    EXPECT_EQ(EntryOf(sent[1]).device_code(), 'H');
    EXPECT_EQ(RemoteOf("H:"), "\\\\nfshost\\secure");

    // The wrong password is 86 without a prompt, as cvlink expects.
    local = u"I:";
    password = u"wrong";
    resource.lpLocalName = local.data();
    EXPECT_EQ(NPAddConnection3(nullptr, &resource, password.data(), user.data(), 4), 86u);
    EXPECT_EQ(NPAddConnection3(nullptr, nullptr, nullptr, nullptr, 4), 87u);
    EXPECT_TRUE(ui_->dialogs().empty());
}

// The user-information dialog on a refusal for credentials, with the
// interactive flag: what it shows, and OK sending the request again with
// what was typed.
TEST_F(AddConnection, CredentialsRefusedAsksTheUserAndRetries) {
    ui_->AnswerDialog({win32::DialogAction::Type(cvprov::kUserInfoPassword, u"opensesame"),
                       win32::DialogAction::Click(win32::IDOK)});
    EXPECT_EQ(Connect("S:", "\\\\nfshost\\secure", kDisk, "alice", "wrong", kInteractive), 0u);
    ASSERT_EQ(ui_->dialogs().size(), 1u);
    const win32::ShownDialog& shown = ui_->dialogs()[0];
    EXPECT_EQ(shown.name, "IDD_GET_USERINFO");
    EXPECT_EQ(shown.title, u"Connect to an NFS Server");
    EXPECT_EQ(shown.result, 1);
    EXPECT_EQ(shown.focus, cvprov::kUserInfoUser);
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoResource).text, u"\\\\nfshost\\secure");
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoUser).text, u"alice");
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoUser).limit, 32u);
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoPassword).text, u"wrong");
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoPassword).limit, 16u);
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoPassword).kind, win32::ControlKind::Password);

    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(Codes(sent), (std::vector<std::uint32_t>{kAddDisk, kAddDisk}));
    EXPECT_EQ(Opens(sent), 1u);  // the retry goes on the same handle
    cvn::MountEntry retry = EntryOf(sent.back());
    EXPECT_EQ(retry.status(), 0);
    EXPECT_EQ(retry.Text(me::kUserName), u"alice");
    EXPECT_EQ(retry.Text(me::kPassword), u"opensesame");
    EXPECT_EQ(RemoteOf("S:"), "\\\\nfshost\\secure");
}

TEST_F(AddConnection, CredentialsAskedAgainUntilCancelled) {
    ui_->AnswerDialog({win32::DialogAction::Type(cvprov::kUserInfoUser, u"bob"),
                       win32::DialogAction::Click(win32::IDOK)});
    ui_->AnswerDialog({win32::DialogAction::Click(win32::IDCANCEL)});
    win32::SetLastError(0);
    EXPECT_EQ(Connect("S:", "\\\\nfshost\\secure", kDisk, "alice", "wrong", kInteractive), 1223u);
    EXPECT_EQ(win32::GetLastError(), 1223u);
    ASSERT_EQ(ui_->dialogs().size(), 2u);
    // The second dialog shows what the first one took.
    EXPECT_EQ(ui_->dialogs()[1].after_init.at(cvprov::kUserInfoUser).text, u"bob");
    EXPECT_EQ(ui_->dialogs()[1].result, 0);
    EXPECT_EQ(Codes(recorder_->Take()), (std::vector<std::uint32_t>{kAddDisk, kAddDisk}));
    EXPECT_EQ(redirector().mount_count(), 0u);

    // Without the interactive flag nobody is asked.
    EXPECT_EQ(Connect("S:", "\\\\nfshost\\secure", kDisk, "alice", "wrong"), 86u);
    EXPECT_EQ(ui_->dialogs().size(), 2u);
    EXPECT_EQ(Codes(recorder_->Take()), (std::vector<std::uint32_t>{kAddDisk}));
}

// Refusals the redirector may give, with and without the interactive flag.
TEST_F(AddConnection, RefusalsAndTheInteractiveFlag) {
    struct Case {
        const char* what;
        cvnrd::Failure failure;
        std::uint32_t flags;
        std::vector<win32::DialogAction> dialog;  // the user's answer, if asked
        int box_answer;                           // the user's answer, if asked
        std::uint32_t expected;
        std::size_t dialogs;
        std::size_t boxes;
        std::size_t requests;
    };
    const Case cases[] = {
        {"559 asks for credentials",
         {559, win32::ERROR_ACCESS_DENIED},
         kInteractive,
         {win32::DialogAction::Click(win32::IDOK)},
         0,
         0,
         1,
         0,
         2},
        {"559 without the flag", {559, win32::ERROR_ACCESS_DENIED}, 0, {}, 0, 1203, 0, 0, 1},
        {"5 asks for credentials",
         {1, win32::ERROR_ACCESS_DENIED},
         kInteractive,
         {win32::DialogAction::Click(win32::IDCANCEL)},
         0,
         1223,
         1,
         0,
         1},
        {"1326 asks for credentials",
         {3000, win32::ERROR_LOGON_FAILURE},  // a word of no row: the error stands
         kInteractive,
         {win32::DialogAction::Click(win32::IDCANCEL)},
         0,
         1223,
         1,
         0,
         1},
        {"552 asks to confirm, yes", {552, 58}, kInteractive, {}, win32::IDYES, 0, 0, 1, 2},
        {"552 asks to confirm, no", {552, 58}, kInteractive, {}, win32::IDNO, 1223, 0, 1, 1},
        {"552 without the flag", {552, 58}, 0, {}, 0, 58, 0, 0, 1},
        {"any other refusal ends it", {2005, 1117}, kInteractive, {}, 0, 1117, 0, 0, 1},
        {"a failure with no status word", {0, 1231}, kInteractive, {}, 0, 1231, 0, 0, 1},
    };
    int letter = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.dialog.empty()) {
            ui_->AnswerDialog(c.dialog);
        }
        if (c.box_answer != 0) {
            ui_->AnswerMessageBox(c.box_answer);
        }
        const std::size_t dialogs = ui_->dialogs().size();
        const std::size_t boxes = ui_->message_boxes().size();
        const std::string local = std::string(1, static_cast<char>('M' + letter++)) + ":";
        redirector().FailNextRequest(c.failure);
        win32::SetLastError(0);
        EXPECT_EQ(Connect(local.c_str(), "\\\\nfshost\\pub", kDisk, nullptr, nullptr, c.flags),
                  c.expected);
        if (c.expected == 1223) {
            EXPECT_EQ(win32::GetLastError(), 1223u);
        }
        EXPECT_EQ(ui_->dialogs().size() - dialogs, c.dialogs);
        EXPECT_EQ(ui_->message_boxes().size() - boxes, c.boxes);
        EXPECT_EQ(Codes(recorder_->Take()).size(), c.requests);
        EXPECT_EQ(RemoteOf(local.c_str()), c.expected == 0 ? "\\\\nfshost\\pub" : "");
        recorder_->Take();
    }
}

// The confirmation: message 612 with the remote name, yes and no buttons,
// and the retry that carries the confirmation bit.
TEST_F(AddConnection, ConfirmationQuestionAndBit) {
    ui_->AnswerMessageBox(win32::IDYES);
    redirector().FailNextRequest({552, 58});
    EXPECT_EQ(Connect("C:", "\\\\nfshost\\pub", kDisk, nullptr, nullptr, kInteractive), 0u);
    ASSERT_EQ(ui_->message_boxes().size(), 1u);
    const win32::ShownMessageBox& box = ui_->message_boxes()[0];
    EXPECT_EQ(box.text,
              u"The NFS server asks you to confirm the connection to \\\\nfshost\\pub.\n"
              u"Connect anyway?");
    EXPECT_EQ(box.caption, u"Corvane NFS Client");
    EXPECT_EQ(box.type, win32::MB_YESNO | win32::MB_ICONEXCLAMATION | win32::MB_SETFOREGROUND);
    std::vector<protocol::Request> sent = recorder_->Take();
    ASSERT_EQ(Codes(sent).size(), 2u);
    EXPECT_EQ(EntryOf(sent[1]).device_word() & me::kConfirmationBit, 0u);
    EXPECT_EQ(EntryOf(sent[2]).device_word() & me::kConfirmationBit, me::kConfirmationBit);
    EXPECT_EQ(EntryOf(sent[2]).device_code(), 'C');
    EXPECT_EQ(EntryOf(sent[2]).status(), 0);
}

// A host connected to is remembered in the user's name space, once; the
// redirector's own name and a refused connection are not.
TEST_F(AddConnection, TheHostGoesIntoTheUsersNameSpace) {
    API_SESS_PARAM record;
    ASSERT_NE(GetHostEntry(u"nfshost", NAME_SPACE_COMBINED, &record), 0u);
    EXPECT_EQ(Connect("P:", "\\\\nfshost\\pub", kDisk, "alice", "wrong"), 0u);
    EXPECT_EQ(GetHostEntry(u"nfshost", NAME_SPACE_USER, &record), 0u);
    EXPECT_NE(GetHostEntry(u"nfshost", NAME_SPACE_SYSTEM, &record), 0u);
    EXPECT_EQ(Connect(nullptr, "\\\\NFSHOST\\pub", kDisk), 0u);  // already there
    EXPECT_EQ(GetHostEntry(u"nfshost", NAME_SPACE_USER, &record), 0u);

    EXPECT_EQ(Connect("Q:", "\\\\$Corvane\\pub", kDisk), 0u);
    EXPECT_EQ(Connect(nullptr, "\\\\$corvane\\pub", kDisk), 0u);
    EXPECT_NE(GetHostEntry(u"$Corvane", NAME_SPACE_COMBINED, &record), 0u);
    EXPECT_NE(GetHostEntry(u"$corvane", NAME_SPACE_COMBINED, &record), 0u);

    EXPECT_EQ(Connect("R:", "\\\\otherhost\\pub", kDisk), 67u);
    EXPECT_NE(GetHostEntry(u"otherhost", NAME_SPACE_COMBINED, &record), 0u);
    EXPECT_TRUE(ui_->message_boxes().empty());
}

// The exported dialog on a caller's record: the Root value stands in for an
// empty path; OK stores the texts back within their fields, Cancel leaves
// the record alone, and a null record ends it at once.
TEST_F(AddConnection, PromptForUserInfoOnACallersRecord) {
    cvprov_test::Record record = cvprov_test::Record::Fresh();
    record.SetText(me::kHost.offset, u"nfshost");
    record.SetText(me::kRoot.offset, u"/export/home");
    record.SetText(me::kUserName.offset, u"carol");
    record.SetText(me::kPassword.offset, u"old");
    const API_SESS_PARAM before = record.raw;

    ui_->AnswerDialog(
        {win32::DialogAction::Type(cvprov::kUserInfoUser, u"u" + std::u16string(40, u'x')),
         win32::DialogAction::Type(cvprov::kUserInfoPassword, u"p" + std::u16string(20, u'y')),
         win32::DialogAction::Click(win32::IDCANCEL)});
    EXPECT_EQ(PromptForUserInfo(nullptr, &record.raw), 0);
    EXPECT_EQ(std::memcmp(record.raw.bytes, before.bytes, sizeof before.bytes), 0);

    ui_->AnswerDialog(
        {win32::DialogAction::Type(cvprov::kUserInfoUser, u"u" + std::u16string(40, u'x')),
         win32::DialogAction::Type(cvprov::kUserInfoPassword, u"p" + std::u16string(20, u'y')),
         win32::DialogAction::Click(win32::IDOK)});
    EXPECT_NE(PromptForUserInfo(nullptr, &record.raw), 0);
    ASSERT_EQ(ui_->dialogs().size(), 2u);
    const win32::ShownDialog& shown = ui_->dialogs()[1];
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoResource).text, u"\\\\nfshost\\/export/home");
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoUser).text, u"carol");
    EXPECT_EQ(shown.after_init.at(cvprov::kUserInfoPassword).text, u"old");
    EXPECT_EQ(shown.focus, cvprov::kUserInfoUser);
    EXPECT_EQ(record.Text(me::kUserName.offset), u"u" + std::u16string(31, u'x'));
    EXPECT_EQ(record.Text(me::kPassword.offset), u"p" + std::u16string(15, u'y'));
    // Nothing else of the record changed.
    for (std::size_t i = 0; i < sizeof before.bytes; ++i) {
        if (i < me::kUserName.offset || i >= me::kPassword.end()) {
            ASSERT_EQ(record.raw.bytes[i], before.bytes[i]) << "byte " << i;
        }
    }

    EXPECT_EQ(PromptForUserInfo(nullptr, nullptr), 0);
    EXPECT_EQ(ui_->dialogs().size(), 2u);
}

}  // namespace
