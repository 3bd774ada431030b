// NFS attributes through the redirector in-process: requests 7 and 8 on the
// handle of a file, 19 and 20 with the file's name in the buffer.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "tests/redirector/redirector_client.h"

namespace redirector_test {
namespace {

namespace na = cvn::nfs_attributes;
namespace sa = cvn::set_attributes;

constexpr std::uint32_t kBackup = win32::FILE_FLAG_BACKUP_SEMANTICS;

win32::Bytes GetRequest95(std::u16string_view name) {
    win32::Bytes buffer(cvn::kGetAttributes95Size);
    win32::ByteView view(buffer.data(), buffer.size());
    cvn::InitializeHeader(view);
    cvn::CopyCountedName(name, view, cvn::kGetAttributes95Path);
    return buffer;
}

win32::Bytes SetRequest95(std::u16string_view name, std::uint32_t mode) {
    win32::Bytes buffer(cvn::kSetAttributes95Size);
    win32::ByteView view(buffer.data(), buffer.size());
    cvn::InitializeHeader(view);
    view.SetU32(sa::kMode, mode);
    view.SetU8(sa::kWhich, sa::kSetMode);
    cvn::CopyCountedName(name, view, cvn::kSetAttributes95Path);
    return buffer;
}

struct stat LStat(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info;
}

std::uint32_t ModeOf(const std::string& path) {
    return LStat(path).st_mode & 07777;
}

// Every field of the record against the host file's own status.
void ExpectAttributesOf(const win32::ByteView& record, const std::string& path) {
    struct stat info = LStat(path);
    const std::uint32_t type = S_ISDIR(info.st_mode)   ? na::kDirectory
                               : S_ISLNK(info.st_mode) ? na::kSymbolicLink
                                                       : na::kRegular;
    EXPECT_EQ(record.U32(na::kType), type) << path;
    EXPECT_EQ(record.U32(na::kMode), info.st_mode & 0177777) << path;
    EXPECT_EQ(record.U32(na::kLinkCount), info.st_nlink) << path;
    EXPECT_EQ(record.U32(na::kUid), info.st_uid) << path;
    EXPECT_EQ(record.U32(na::kGid), info.st_gid) << path;
    EXPECT_EQ(record.U64(na::kFileSize), static_cast<std::uint64_t>(info.st_size)) << path;
    EXPECT_EQ(record.U64(na::kFileId), info.st_ino) << path;
    EXPECT_EQ(record.U32(na::kAccessTime), static_cast<std::uint32_t>(info.st_atim.tv_sec));
    EXPECT_EQ(record.U32(na::kAccessTime + 4), static_cast<std::uint32_t>(info.st_atim.tv_nsec));
    EXPECT_EQ(record.U32(na::kModifyTime), static_cast<std::uint32_t>(info.st_mtim.tv_sec));
    EXPECT_EQ(record.U32(na::kModifyTime + 4), static_cast<std::uint32_t>(info.st_mtim.tv_nsec));
    EXPECT_EQ(record.U32(na::kChangeTime), static_cast<std::uint32_t>(info.st_ctim.tv_sec));
    EXPECT_EQ(record.U32(na::kChangeTime + 4), static_cast<std::uint32_t>(info.st_ctim.tv_nsec));
}

class AttributesTest : public RedirectorTest {
protected:
    void SetUp() override {
        Connect('F');
        Connect(0, u"pub\\sub");
        ::chmod(Host("pub/file.txt").c_str(), 0604);
    }
};

struct OpenCase {
    const char* name;
    std::u16string file;
    std::uint32_t flags;
    const char* host_path;  // below the test's root
    friend void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }
};

class FileHandleTest : public AttributesTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(FileHandleTest, GetMatchesTheHostFile) {
    const OpenCase& c = GetParam();
    auto file = NewClient();
    protocol::Reply open = file->OpenFile(c.file, c.flags);
    ASSERT_TRUE(open.ok) << open.error;
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    protocol::Reply reply = file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), na::kSize);
    EXPECT_EQ(attributes.tag(), cvn::kRecordTag);
    EXPECT_EQ(attributes.status(), 0);
    ExpectAttributesOf(attributes.view(), Host(c.host_path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FileHandleTest,
    ::testing::Values(OpenCase{"DriveFile", u"F:\\file.txt", 0, "pub/file.txt"},
                      OpenCase{"LowerCaseDrive", u"f:\\sub\\inner.txt", 0, "pub/sub/inner.txt"},
                      OpenCase{"DriveRoot", u"F:\\", kBackup, "pub"},
                      OpenCase{"Directory", u"F:\\sub", kBackup, "pub/sub"},
                      OpenCase{"UncFile", u"\\\\alpha\\pub\\file.txt", 0, "pub/file.txt"},
                      OpenCase{"UncHostCase", u"\\\\ALPHA\\pub\\sub\\inner.txt", 0,
                               "pub/sub/inner.txt"},
                      // The longest connected remote name leads.
                      OpenCase{"UncDeviceless", u"\\\\alpha\\pub\\sub", kBackup, "pub/sub"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AttributesTest, DirectoryOpensOnlyWithBackupSemantics) {
    auto file = NewClient();
    protocol::Reply refused = file->OpenFile(u"F:\\sub");
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.error, win32::ERROR_ACCESS_DENIED);
    // The refused open left the handle unopened; it may be opened properly.
    ASSERT_TRUE(file->OpenFile(u"F:\\sub", kBackup).ok);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_TRUE(file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes).ok);
    EXPECT_EQ(attributes.type(), na::kDirectory);
}

TEST_F(AttributesTest, SetOnFileHandleReachesTheFile) {
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt", 0, win32::FILE_WRITE_ATTRIBUTES).ok);
    cvn::SetAttributes change;
    change.Initialize();
    change.SetMode(0100751);  // file-type bits are not the caller's to set
    protocol::Reply reply = file->Control(cvn::FSCTL_SERVER_SET_NFSATR, change);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), sa::kSize);
    EXPECT_EQ(change.status(), 0);
    EXPECT_EQ(ModeOf(Host("pub/file.txt")), 0751u);
    EXPECT_EQ(cvn_test::ReadFile(Host("pub/file.txt")), "hello");  // only the mode changed
}

TEST_F(AttributesTest, SetSizeAndTimes) {
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"\\\\alpha\\pub\\file.txt").ok);
    cvn::SetAttributes change;
    change.Initialize();
    win32::ByteView view = change.view();
    view.SetU64(sa::kFileSize, 2);
    view.SetU32(sa::kModifyTime, 1000000000);
    view.SetU32(sa::kModifyTime + 4, 5);
    view.SetU8(sa::kWhich, sa::kSetSize | sa::kSetModifyTime);
    ASSERT_TRUE(file->Control(cvn::FSCTL_SERVER_SET_NFSATR, change).ok);
    EXPECT_EQ(cvn_test::ReadFile(Host("pub/file.txt")), "he");
    struct stat info = LStat(Host("pub/file.txt"));
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 5);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
}

TEST_F(AttributesTest, NameInTheBuffer) {
    auto device = Device();
    win32::Bytes get = GetRequest95(u"F:\\sub\\inner.txt");
    protocol::Reply reply = device->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, get);
    ASSERT_TRUE(reply.ok) << reply.error;
    ASSERT_EQ(reply.output.size(), cvn::kGetAttributes95Size);
    win32::ByteView answer(reply.output.data(), reply.output.size());
    EXPECT_EQ(answer.U16(0), cvn::kRecordTag);
    EXPECT_EQ(answer.U16(2), 0);
    ExpectAttributesOf(answer, Host("pub/sub/inner.txt"));
    EXPECT_EQ(cvn::CountedNameText(answer, cvn::kGetAttributes95Path), u"F:\\sub\\inner.txt");

    win32::Bytes set = SetRequest95(u"\\\\alpha\\pub\\sub\\inner.txt", 0640);
    reply = device->Control(cvn::FSCTL_SERVER_SET_NFSATR_95, set);
    ASSERT_TRUE(reply.ok) << reply.error;
    EXPECT_EQ(reply.output.size(), cvn::kSetAttributes95Size);
    EXPECT_EQ(ModeOf(Host("pub/sub/inner.txt")), 0640u);

    get = GetRequest95(u"F:\\sub");  // a directory needs no flag here
    reply = device->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, get);
    ASSERT_TRUE(reply.ok);
    EXPECT_EQ(win32::ByteView(reply.output.data(), reply.output.size()).U32(na::kType),
              na::kDirectory);
}

struct MissingName {
    const char* name;
    std::u16string file;
    std::uint16_t status;
    win32::DWORD error;
    friend void PrintTo(const MissingName& c, std::ostream* os) { *os << c.name; }
};

class MissingNameTest : public AttributesTest, public ::testing::WithParamInterface<MissingName> {};

TEST_P(MissingNameTest, RefusedOnOpenAndInTheBuffer) {
    const MissingName& c = GetParam();
    protocol::Reply open = NewClient()->OpenFile(c.file, kBackup);
    EXPECT_FALSE(open.ok);
    EXPECT_EQ(open.error, c.error);
    protocol::Reply get = Device()->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, GetRequest95(c.file));
    EXPECT_FALSE(get.ok);
    EXPECT_EQ(get.error, c.error);
    EXPECT_EQ(StatusOf(get), c.status);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingNameTest,
    ::testing::Values(
        MissingName{"NoSuchFile", u"F:\\nothing.txt", 2, win32::ERROR_FILE_NOT_FOUND},
        MissingName{"NoSuchDirectory", u"F:\\none\\file.txt", 2, win32::ERROR_FILE_NOT_FOUND},
        MissingName{"FileAsDirectory", u"F:\\file.txt\\x", 2, win32::ERROR_FILE_NOT_FOUND},
        MissingName{"DriveNotConnected", u"Q:\\file.txt", 532, win32::ERROR_PATH_NOT_FOUND},
        MissingName{"NotADrive", u"1:\\file.txt", 532, win32::ERROR_PATH_NOT_FOUND},
        MissingName{"Relative", u"file.txt", 532, win32::ERROR_PATH_NOT_FOUND},
        MissingName{"HostNotConnected", u"\\\\beta\\pub\\file.txt", 532, win32::ERROR_BAD_NETPATH},
        MissingName{"ExportNotConnected", u"\\\\alpha\\secure\\x", 532, win32::ERROR_BAD_NETPATH},
        MissingName{"ExportPrefix", u"\\\\alpha\\pubx\\file.txt", 532, win32::ERROR_BAD_NETPATH}),
    [](const auto& info) { return std::string(info.param.name); });

// Names that would reach a file outside the connected export.
class EscapeTest : public AttributesTest, public ::testing::WithParamInterface<const char16_t*> {
protected:
    void SetUp() override {
        AttributesTest::SetUp();
        ::chmod(Host("outside/secret.txt").c_str(), 0600);
        ::chmod(Host("secure").c_str(), 0700);
        std::filesystem::create_directory_symlink(Host("outside"), Host("pub/out"));
        std::filesystem::create_symlink(Host("outside/secret.txt"), Host("pub/secret.lnk"));
        std::filesystem::create_directory_symlink("../..", Host("pub/sub/top"));
    }
    void ExpectOutsideUntouched() {
        EXPECT_EQ(ModeOf(Host("outside/secret.txt")), 0600u);
        EXPECT_EQ(ModeOf(Host("secure")), 0700u);
        EXPECT_EQ(cvn_test::ReadFile(Host("outside/secret.txt")), "secret");
    }
};

TEST_P(EscapeTest, RefusedEverywhere) {
    const std::u16string name = GetParam();
    protocol::Reply get = Device()->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, GetRequest95(name));
    EXPECT_FALSE(get.ok);
    EXPECT_GT(StatusOf(get), 0);
    protocol::Reply set =
        Device()->Control(cvn::FSCTL_SERVER_SET_NFSATR_95, SetRequest95(name, 0777));
    EXPECT_FALSE(set.ok);
    EXPECT_GT(StatusOf(set), 0);

    // A handle on such a name must not open, and if it opened, must not
    // reach the file.
    auto file = NewClient();
    if (file->OpenFile(name, kBackup, win32::FILE_WRITE_ATTRIBUTES).ok) {
        cvn::SetAttributes change;
        change.Initialize();
        change.SetMode(0777);
        change.view().SetU64(sa::kFileSize, 0);
        change.view().SetU8(sa::kWhich, sa::kSetMode | sa::kSetSize);
        EXPECT_FALSE(file->Control(cvn::FSCTL_SERVER_SET_NFSATR, change).ok);
    }
    ExpectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(Names, EscapeTest,
                         ::testing::Values(u"F:\\..\\outside\\secret.txt", u"F:..\\secure",
                                           u"F:\\sub\\..\\..\\outside\\secret.txt", u"F:/../secure",
                                           u"\\\\alpha\\pub\\..\\secure",
                                           u"\\\\alpha\\pub\\sub\\..\\..\\outside\\secret.txt",
                                           // Symbolic links inside the export that lead out.
                                           u"F:\\out\\secret.txt", u"F:\\sub\\top\\secure",
                                           u"\\\\alpha\\pub\\sub\\top\\outside\\secret.txt"));

TEST_F(EscapeTest, DotComponentsRefusedEvenWhenTheyStayInside) {
    for (const char16_t* name : {u"F:\\.\\file.txt", u"F:\\sub\\..\\file.txt", u"F:\\sub\\."}) {
        protocol::Reply get =
            Device()->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, GetRequest95(name));
        EXPECT_FALSE(get.ok);
        EXPECT_EQ(get.error, win32::ERROR_INVALID_PARAMETER);
        EXPECT_EQ(StatusOf(get), 22);
        EXPECT_FALSE(NewClient()->OpenFile(name, kBackup).ok);
    }
}

// A link as the last component is described as the link; what it names is
// never changed through it.
TEST_F(EscapeTest, FinalLinkIsTheLinkItself) {
    for (const char16_t* name : {u"F:\\secret.lnk", u"F:\\out"}) {
        protocol::Reply get =
            Device()->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, GetRequest95(name));
        ASSERT_TRUE(get.ok) << get.error;
        win32::ByteView answer(get.output.data(), get.output.size());
        EXPECT_EQ(answer.U32(na::kType), na::kSymbolicLink);
        EXPECT_FALSE(
            Device()->Control(cvn::FSCTL_SERVER_SET_NFSATR_95, SetRequest95(name, 0777)).ok);

        auto file = NewClient();
        ASSERT_TRUE(file->OpenFile(name, kBackup, win32::FILE_WRITE_ATTRIBUTES).ok);
        for (std::uint8_t which : {sa::kSetMode, sa::kSetSize}) {
            cvn::SetAttributes change;
            change.Initialize();
            change.view().SetU32(sa::kMode, 0777);
            change.view().SetU64(sa::kFileSize, 0);
            change.view().SetU8(sa::kWhich, which);
            EXPECT_FALSE(file->Control(cvn::FSCTL_SERVER_SET_NFSATR, change).ok) << int(which);
        }
    }
    ExpectOutsideUntouched();
}

TEST_F(EscapeTest, ConnectionThroughALinkThatLeadsOut) {
    cvn::MountEntry entry = Entry(u"alpha", u"pub\\out", 'O');
    protocol::Reply reply = Device()->Control(cvn::FSCTL_SERVER_ADD_DISK, entry);
    EXPECT_FALSE(reply.ok);
    EXPECT_EQ(reply.error, win32::ERROR_BAD_NET_NAME);
}

TEST_F(EscapeTest, LinksThatStayInsideServeAndLinksShowAsLinks) {
    std::filesystem::create_directory_symlink("sub", Host("pub/inside"));
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\inside\\inner.txt").ok);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    ASSERT_TRUE(file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes).ok);
    EXPECT_EQ(attributes.type(), na::kRegular);
    // The link itself is described, not what it names.
    protocol::Reply reply =
        Device()->Control(cvn::FSCTL_SERVER_GET_NFSATR_95, GetRequest95(u"F:\\inside"));
    ASSERT_TRUE(reply.ok) << reply.error;
    ExpectAttributesOf(win32::ByteView(reply.output.data(), reply.output.size()),
                       Host("pub/inside"));
}

TEST_F(AttributesTest, NameFieldIsChecked) {
    auto device = Device();
    for (std::uint16_t length : {std::uint16_t(2050), std::uint16_t(0xFFFF), std::uint16_t(7)}) {
        for (auto [code, size, offset] :
             {std::tuple{cvn::FSCTL_SERVER_GET_NFSATR_95, cvn::kGetAttributes95Size,
                         cvn::kGetAttributes95Path.offset},
              std::tuple{cvn::FSCTL_SERVER_SET_NFSATR_95, cvn::kSetAttributes95Size,
                         cvn::kSetAttributes95Path.offset}}) {
            win32::Bytes buffer = code == cvn::FSCTL_SERVER_GET_NFSATR_95
                                      ? GetRequest95(u"F:\\file.txt")
                                      : SetRequest95(u"F:\\file.txt", 0777);
            win32::ByteView(buffer.data(), buffer.size()).SetU16(offset, length);
            protocol::Reply reply = device->Control(code, buffer);
            EXPECT_FALSE(reply.ok) << length;
            EXPECT_EQ(reply.error, win32::ERROR_INVALID_PARAMETER) << length;
            EXPECT_EQ(reply.output.size(), size);
            EXPECT_EQ(StatusOf(reply), 22);
        }
    }
    EXPECT_EQ(ModeOf(Host("pub/file.txt")), 0604u);
}

TEST_F(AttributesTest, FileHandleOnAForcedCancelAnswersNameDeleted) {
    auto file = NewClient();
    ASSERT_TRUE(file->OpenFile(u"F:\\file.txt").ok);
    cvn::MountEntry drive = DriveEntry('F');
    ASSERT_TRUE(Device()->Control(cvn::FSCTL_SERVER_DEL_FORCE, drive).ok);
    cvn::NfsAttributes attributes;
    attributes.Initialize();
    protocol::Reply get = file->Control(cvn::FSCTL_SERVER_GET_NFSATR, attributes);
    EXPECT_FALSE(get.ok);
    EXPECT_EQ(get.error, win32::ERROR_NETNAME_DELETED);
    EXPECT_EQ(attributes.status(), 70);
    cvn::SetAttributes change;
    change.Initialize();
    change.SetMode(0777);
    protocol::Reply set = file->Control(cvn::FSCTL_SERVER_SET_NFSATR, change);
    EXPECT_FALSE(set.ok);
    EXPECT_EQ(set.error, win32::ERROR_NETNAME_DELETED);
    EXPECT_EQ(ModeOf(Host("pub/file.txt")), 0604u);
}

}  // namespace
}  // namespace redirector_test
