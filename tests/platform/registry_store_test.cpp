#include "platform/registry_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/registry.h"
#include "tests/platform/registry_test_support.h"

namespace {

using cvn_test::CreateW;
using cvn_test::DwordBytes;
using cvn_test::FileExists;
using cvn_test::PrivateRegistry;
using cvn_test::QueryW;
using cvn_test::ReadFile;
using cvn_test::SetDwordW;
using cvn_test::SetStringW;
using cvn_test::SetW;
using cvn_test::SubkeysW;
using cvn_test::Utf16;
using cvn_test::ValueNamesW;
using cvn_test::WriteFile;
using win32::Bytes;
using win32::DWORD;
using win32::HKEY;
using win32::HKEY_CURRENT_USER;
using win32::HKEY_LOCAL_MACHINE;
using win32::LONG;
using win32::UniqueKey;

constexpr LONG kSuccess = win32::ERROR_SUCCESS;
constexpr LONG kNotFound = win32::ERROR_FILE_NOT_FOUND;
constexpr LONG kBadDb = win32::ERROR_BADDB;

LONG OpenW(HKEY parent, const char16_t* subkey, HKEY* result) {
    return win32::RegOpenKeyExW(parent, subkey, 0, win32::KEY_ALL_ACCESS, result);
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

std::set<std::string> FilesIn(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// How a child process ended: its exit code, or the signal that ended it.
struct ChildEnd {
    int code = -1;
    int signal = 0;
};

ChildEnd Wait(pid_t child) {
    int status = 0;
    ChildEnd end;
    if (::waitpid(child, &status, 0) != child) {
        return end;
    }
    if (WIFEXITED(status)) {
        end.code = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        end.signal = WTERMSIG(status);
    }
    return end;
}

// Runs `body` in a child process; its result (0 for success, else the
// number of the step that failed) is the child's exit code. The child
// never returns into the test framework.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(body());
    }
    return child;
}

class RegistryStoreTest : public ::testing::Test {
protected:
    PrivateRegistry registry_;
};

TEST_F(RegistryStoreTest, HiveFilesHoldTheTextForm) {
    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Vendor\\Product", key.out()), kSuccess);
    ASSERT_EQ(SetStringW(key.get(), nullptr, u"default"), kSuccess);
    ASSERT_EQ(SetStringW(key.get(), u"Path", u"C:\\dir \"quoted\""), kSuccess);
    ASSERT_EQ(SetDwordW(key.get(), u"Count", 42), kSuccess);
    ASSERT_EQ(SetW(key.get(), u"Blob", win32::REG_BINARY, {1, 2, 0xff}), kSuccess);
    ASSERT_EQ(SetW(key.get(), u"Odd", win32::REG_SZ, Utf16(u"ab", false)), kSuccess);
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Empty", key.out()), kSuccess);

    EXPECT_EQ(ReadFile(registry_.system_hive()),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Product]\n"
              "@=\"default\"\n"
              "\"Path\"=\"C:\\\\dir \\\"quoted\\\"\"\n"
              "\"Count\"=dword:0000002a\n"
              "\"Blob\"=hex:01,02,ff\n"
              "\"Odd\"=hex(1):61,00,62,00\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Empty]\n"
              "\n");
    // The other hive was not touched.
    EXPECT_FALSE(FileExists(registry_.user_hive()));
}

TEST_F(RegistryStoreTest, UserHiveIsPrivateToItsOwner) {
    // Whatever the umask lets through, the user's hive holds passwords.
    const mode_t saved = ::umask(0);
    UniqueKey key;
    const LONG user = CreateW(HKEY_CURRENT_USER, u"Software\\Vendor", key.out());
    const LONG system = CreateW(HKEY_LOCAL_MACHINE, u"Software\\Vendor", key.out());
    ::umask(saved);
    ASSERT_EQ(user, kSuccess);
    ASSERT_EQ(system, kSuccess);
    EXPECT_EQ(ModeOf(registry_.user_hive()), 0600u);
    EXPECT_EQ(ModeOf(registry_.user_dir()), 0700u);
    EXPECT_EQ(ModeOf(registry_.dir() / "config"), 0700u);
    EXPECT_EQ(ModeOf(registry_.system_hive()), 0644u);
    EXPECT_EQ(ModeOf(registry_.system_dir()), 0755u);

    // A later write keeps the file private; the lock beside it is private too.
    ASSERT_EQ(SetDwordW(HKEY_CURRENT_USER, u"Top", 1), kSuccess);
    EXPECT_EQ(ModeOf(registry_.user_hive()), 0600u);
    EXPECT_EQ(ModeOf(registry_.user_hive() + ".lock"), 0600u);
    EXPECT_EQ(FilesIn(registry_.user_dir()), (std::set<std::string>{"user.reg", "user.reg.lock"}));
}

// A write in another process is seen through handles opened before it, with
// nothing reopened.
TEST_F(RegistryStoreTest, ChangesOfAnotherProcessAreSeenThroughOpenHandles) {
    UniqueKey shared;
    UniqueKey old;
    UniqueKey user;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Shared\\Old", old.out()), kSuccess);
    ASSERT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software\\Shared", shared.out()), kSuccess);
    ASSERT_EQ(CreateW(HKEY_CURRENT_USER, u"Software\\Shared", user.out()), kSuccess);
    ASSERT_EQ(SetDwordW(shared.get(), u"Count", 1), kSuccess);
    ASSERT_EQ(SetDwordW(shared.get(), u"Gone", 1), kSuccess);
    ASSERT_EQ(SetDwordW(old.get(), u"v", 1), kSuccess);
    // This process has read both hives and keeps what it read.
    ASSERT_EQ(QueryW(shared.get(), u"Count").data, DwordBytes(1));
    ASSERT_EQ(QueryW(user.get(), u"Name").status, kNotFound);

    const pid_t child = Spawn([] {
        UniqueKey key;
        if (OpenW(HKEY_LOCAL_MACHINE, u"Software\\Shared", key.out()) != kSuccess)
            return 1;
        if (SetDwordW(key.get(), u"Count", 2) != kSuccess)
            return 2;
        if (SetStringW(key.get(), u"Name", u"from the child") != kSuccess)
            return 3;
        if (win32::RegDeleteValueW(key.get(), u"Gone") != kSuccess)
            return 4;
        if (win32::RegDeleteKeyW(key.get(), u"Old") != kSuccess)
            return 5;
        UniqueKey made;
        if (CreateW(key.get(), u"New", made.out()) != kSuccess)
            return 6;
        if (CreateW(HKEY_CURRENT_USER, u"Software\\Shared", key.out()) != kSuccess ||
            SetStringW(key.get(), u"Name", u"user") != kSuccess)
            return 7;
        return 0;
    });
    ASSERT_GT(child, 0);
    EXPECT_EQ(Wait(child).code, 0);

    EXPECT_EQ(QueryW(shared.get(), u"Count").data, DwordBytes(2));
    EXPECT_EQ(QueryW(shared.get(), u"Name").data, Utf16(u"from the child"));
    EXPECT_EQ(QueryW(shared.get(), u"Gone").status, kNotFound);
    EXPECT_EQ(SubkeysW(shared.get()), std::vector<std::u16string>{u"New"});
    EXPECT_EQ(QueryW(old.get(), u"v").status, win32::ERROR_KEY_DELETED);
    EXPECT_EQ(QueryW(user.get(), u"Name").data, Utf16(u"user"));
}

// Two processes write at the same time, each its own values, every write
// a read-change-replace of the whole hive: none may be lost.
TEST_F(RegistryStoreTest, ConcurrentWritersLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kValuesEach = 100;
    UniqueKey shared;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Shared", shared.out()), kSuccess);

    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        children.push_back(Spawn([&, writer] {
            ::close(gate[1]);
            char go;
            if (::read(gate[0], &go, 1) != 0) {  // released when the parent closes its end
                return 1;
            }
            for (int i = 0; i < kValuesEach; ++i) {
                const std::string name = "w" + std::to_string(writer) + "." + std::to_string(i);
                const DWORD data = static_cast<DWORD>(writer * 1000 + i);
                if (win32::RegSetValueExA(shared.get(), name.c_str(), 0, win32::REG_DWORD,
                                          reinterpret_cast<const win32::BYTE*>(&data),
                                          sizeof data) != kSuccess) {
                    return 2;
                }
            }
            return 0;
        }));
        EXPECT_GT(children.back(), 0);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t child : children) {
        EXPECT_EQ(Wait(child).code, 0);
    }

    DWORD values = 0;
    ASSERT_EQ(win32::RegQueryInfoKeyW(shared.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                      nullptr, &values, nullptr, nullptr, nullptr, nullptr),
              kSuccess);
    EXPECT_EQ(values, static_cast<DWORD>(kWriters * kValuesEach));
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kValuesEach; ++i) {
            const std::string name = "w" + std::to_string(writer) + "." + std::to_string(i);
            DWORD data = 0;
            DWORD size = sizeof data;
            EXPECT_EQ(win32::RegQueryValueExA(shared.get(), name.c_str(), nullptr, nullptr,
                                              reinterpret_cast<win32::BYTE*>(&data), &size),
                      kSuccess)
                << name;
            EXPECT_EQ(data, static_cast<DWORD>(writer * 1000 + i)) << name;
        }
    }
    // Only the hive and its lock are left: no temporary file behind.
    EXPECT_EQ(FilesIn(registry_.system_dir()),
              (std::set<std::string>{"system.reg", "system.reg.lock"}));
}

// A writer that dies after it wrote part of the new hive to the temporary
// file, and before the rename, leaves the old hive as it was. The file-size
// limit stops the child inside that write, every time.
TEST_F(RegistryStoreTest, CrashBetweenTemporaryWriteAndRenameLeavesTheOldHive) {
    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Kept", key.out()), kSuccess);
    ASSERT_EQ(SetStringW(key.get(), u"Value", u"old"), kSuccess);
    const std::string before = ReadFile(registry_.system_hive());
    constexpr rlim_t kLimit = 4096;
    ASSERT_LT(before.size(), kLimit);

    const pid_t child = Spawn([&] {
        ::prctl(PR_SET_DUMPABLE, 0);  // no core file for the test's own crash
        const rlimit limit{kLimit, kLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        SetStringW(key.get(), u"Value", u"new");
        SetW(key.get(), u"Huge", win32::REG_BINARY, Bytes(1 << 20, 0x5a));
        return 1;  // not reached: the limit ends the process inside the write
    });
    ASSERT_GT(child, 0);
    const ChildEnd end = Wait(child);
    EXPECT_EQ(end.signal, SIGXFSZ);

    // The change before the crash landed whole; the one it crashed in left
    // nothing but its temporary file, cut off at the limit.
    EXPECT_EQ(QueryW(key.get(), u"Value").data, Utf16(u"new"));
    EXPECT_EQ(QueryW(key.get(), u"Huge").status, kNotFound);
    const std::string after = ReadFile(registry_.system_hive());
    EXPECT_NE(after.find("\"Value\"=\"new\""), std::string::npos) << after;
    std::set<std::string> files = FilesIn(registry_.system_dir());
    files.erase("system.reg");
    files.erase("system.reg.lock");
    ASSERT_EQ(files.size(), 1u);
    const std::string temporary = registry_.system_dir() + "/" + *files.begin();
    EXPECT_EQ(files.begin()->rfind(".system.reg.", 0), 0u) << *files.begin();
    EXPECT_EQ(std::filesystem::file_size(temporary), kLimit);

    // The hive goes on working, the left-over file beside it.
    ASSERT_EQ(SetDwordW(key.get(), u"Later", 1), kSuccess);
    EXPECT_EQ(ValueNamesW(key.get()), (std::vector<std::u16string>{u"Value", u"Later"}));
}

// The same write, refused by the host instead of ending the process: the
// call fails with the host's reason and nothing of it is kept.
TEST_F(RegistryStoreTest, FailedWriteIsReportedAndChangesNothing) {
    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Kept", key.out()), kSuccess);
    ASSERT_EQ(SetStringW(key.get(), u"Value", u"old"), kSuccess);
    const std::string before = ReadFile(registry_.system_hive());

    const pid_t child = Spawn([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        if (SetW(key.get(), u"Huge", win32::REG_BINARY, Bytes(1 << 20, 0x5a)) !=
            static_cast<LONG>(win32::ERROR_FILE_TOO_LARGE))
            return 1;
        // The process does not go on believing in the change it could not make.
        if (QueryW(key.get(), u"Huge").status != kNotFound)
            return 2;
        if (QueryW(key.get(), u"Value").data != Utf16(u"old"))
            return 3;
        return 0;
    });
    ASSERT_GT(child, 0);
    EXPECT_EQ(Wait(child).code, 0);
    EXPECT_EQ(ReadFile(registry_.system_hive()), before);
    EXPECT_EQ(FilesIn(registry_.system_dir()),
              (std::set<std::string>{"system.reg", "system.reg.lock"}));
}

// A hive path taken by a directory is a hive that cannot be read: calls say
// so rather than finding it empty, and nothing is written in its place.
TEST_F(RegistryStoreTest, DirectoryInThePlaceOfTheHive) {
    std::filesystem::create_directories(registry_.system_hive());
    UniqueKey key;
    EXPECT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software", key.out()), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryW(HKEY_LOCAL_MACHINE, u"v").status, win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software", key.out()), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetDwordW(HKEY_LOCAL_MACHINE, u"v", 1), win32::ERROR_ACCESS_DENIED);
    EXPECT_TRUE(std::filesystem::is_directory(registry_.system_hive()));
    EXPECT_TRUE(std::filesystem::is_empty(registry_.system_hive()));
    EXPECT_EQ(CreateW(HKEY_CURRENT_USER, u"Software", key.out()), kSuccess);
}

TEST_F(RegistryStoreTest, HandWrittenHivesAreReadAndRewrittenWhole) {
    std::filesystem::create_directories(registry_.system_dir());
    WriteFile(registry_.system_hive(),
              "; installed by hand\r\n"
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\r\n"
              "\"Name\"=\"text\"\r\n"
              "\"Blob\"=hex:01,02,\\\r\n"
              "  03\r\n"
              "@=dword:00000007\r\n");
    UniqueKey key;
    ASSERT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"software\\VENDOR", key.out()), kSuccess);
    EXPECT_EQ(QueryW(key.get(), u"Name").data, Utf16(u"text"));
    EXPECT_EQ(QueryW(key.get(), u"Blob").data, (Bytes{1, 2, 3}));
    EXPECT_EQ(QueryW(key.get(), nullptr).data, DwordBytes(7));

    ASSERT_EQ(SetDwordW(key.get(), u"Added", 1), kSuccess);
    EXPECT_EQ(ReadFile(registry_.system_hive()),
              "REGEDIT4\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software]\n"
              "\n"
              "[HKEY_LOCAL_MACHINE\\Software\\Vendor]\n"
              "\"Name\"=\"text\"\n"
              "\"Blob\"=hex:01,02,03\n"
              "@=dword:00000007\n"
              "\"Added\"=dword:00000001\n"
              "\n");
}

// Each table entry is a hive file that cannot be parsed. Every call on that
// hive fails, the reason names the file and line, and no write replaces the
// file with what little could be made of it.
TEST_F(RegistryStoreTest, MalformedHiveIsRefusedAndNeverWrittenOver) {
    const struct Case {
        const char* what;
        std::string text;
        int line;
    } cases[] = {
        {"no header", "[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=dword:00000001\n", 1},
        {"unclosed section", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\n\"v\"=\"x\"\n", 3},
        {"bad dword", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=dword:1x\n", 4},
        {"bad hex", "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software]\n\"v\"=hex:01,\\\n  0q\n", 4},
        {"value before any key", "REGEDIT4\n\"v\"=\"x\"\n[HKEY_LOCAL_MACHINE\\Software]\n", 2},
        {"outside the root", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n[HKEY_CURRENT_USER\\S]\n",
         3},
        {"unclosed quote", "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software]\r\n\"v\"=\"x\r\n", 3},
    };
    for (const Case& c : cases) {
        PrivateRegistry registry;
        std::filesystem::create_directories(registry.system_dir());
        WriteFile(registry.system_hive(), c.text);

        UniqueKey key;
        EXPECT_EQ(OpenW(HKEY_LOCAL_MACHINE, u"Software", key.out()), kBadDb) << c.what;
        const std::string prefix = registry.system_hive() + ":" + std::to_string(c.line) + ": ";
        const std::string diagnostic = win32::RegistryDiagnostic();
        EXPECT_EQ(diagnostic.substr(0, prefix.size()), prefix) << c.what;
        EXPECT_GT(diagnostic.size(), prefix.size()) << c.what;

        EXPECT_EQ(QueryW(HKEY_LOCAL_MACHINE, u"v").status, kBadDb) << c.what;
        LONG end = 0;
        EXPECT_TRUE(SubkeysW(HKEY_LOCAL_MACHINE, &end).empty()) << c.what;
        EXPECT_EQ(end, kBadDb) << c.what;
        EXPECT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\New", key.out()), kBadDb) << c.what;
        EXPECT_EQ(SetDwordW(HKEY_LOCAL_MACHINE, u"v", 1), kBadDb) << c.what;
        EXPECT_EQ(win32::RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"Software"), kBadDb) << c.what;
        EXPECT_EQ(win32::RegDeleteValueW(HKEY_LOCAL_MACHINE, u"v"), kBadDb) << c.what;
        EXPECT_FALSE(win32::RegCheckKeyAccess(HKEY_LOCAL_MACHINE, nullptr, win32::KEY_READ))
            << c.what;
        EXPECT_EQ(ReadFile(registry.system_hive()), c.text) << c.what;

        // The other hive is not held back.
        ASSERT_EQ(CreateW(HKEY_CURRENT_USER, u"Software\\Vendor", key.out()), kSuccess) << c.what;
        EXPECT_EQ(SetDwordW(key.get(), u"v", 9), kSuccess) << c.what;
        EXPECT_EQ(QueryW(key.get(), u"v").data, DwordBytes(9)) << c.what;
    }
}

// A hive that breaks under open handles fails them, and works again for the
// same handles once it is mended.
TEST_F(RegistryStoreTest, HiveBrokenAndMendedUnderOpenHandles) {
    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_CURRENT_USER, u"Software\\Vendor", key.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key.get(), u"v", 1), kSuccess);
    const std::string good = ReadFile(registry_.user_hive());
    const std::string broken = good + "\"stray\"=dword:zz\n";

    PrivateRegistry::ReplaceFile(registry_.user_hive(), broken);
    EXPECT_EQ(QueryW(key.get(), u"v").status, kBadDb);
    EXPECT_EQ(SetDwordW(key.get(), u"v", 2), kBadDb);
    EXPECT_EQ(win32::RegistryDiagnostic().rfind(registry_.user_hive() + ":8: ", 0), 0u)
        << win32::RegistryDiagnostic();
    EXPECT_EQ(ReadFile(registry_.user_hive()), broken);
    EXPECT_EQ(SetDwordW(HKEY_LOCAL_MACHINE, u"v", 3), kSuccess);

    PrivateRegistry::ReplaceFile(registry_.user_hive(), good);
    EXPECT_EQ(QueryW(key.get(), u"v").data, DwordBytes(1));
    EXPECT_EQ(SetDwordW(key.get(), u"v", 2), kSuccess);
    EXPECT_EQ(QueryW(key.get(), u"v").data, DwordBytes(2));
}

TEST_F(RegistryStoreTest, CheckKeyAccessOnAWritableHive) {
    // No hive yet: it can be made.
    EXPECT_TRUE(win32::RegCheckKeyAccess(HKEY_LOCAL_MACHINE, nullptr, win32::KEY_SET_VALUE));
    EXPECT_FALSE(win32::RegCheckKeyAccess(HKEY_LOCAL_MACHINE, u"Software", win32::KEY_READ));

    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Vendor", key.out()), kSuccess);
    for (win32::REGSAM access :
         {win32::KEY_READ, win32::KEY_SET_VALUE, win32::KEY_WRITE, win32::KEY_ALL_ACCESS}) {
        EXPECT_TRUE(win32::RegCheckKeyAccess(HKEY_LOCAL_MACHINE, u"Software\\vendor", access))
            << access;
        EXPECT_TRUE(win32::RegCheckKeyAccess(key.get(), nullptr, access)) << access;
        EXPECT_FALSE(win32::RegCheckKeyAccess(HKEY_LOCAL_MACHINE, u"Software\\Missing", access))
            << access;
    }
}

TEST_F(RegistryStoreTest, CheckKeyAccessOnAReadOnlyHive) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write whatever the permissions say";
    }
    UniqueKey key;
    ASSERT_EQ(CreateW(HKEY_LOCAL_MACHINE, u"Software\\Vendor", key.out()), kSuccess);
    ASSERT_EQ(SetDwordW(key.get(), u"v", 1), kSuccess);
    const std::string before = ReadFile(registry_.system_hive());

    // A directory that cannot be written: the file cannot be replaced.
    ASSERT_EQ(::chmod(registry_.system_dir().c_str(), 0555), 0);
    EXPECT_TRUE(win32::RegCheckKeyAccess(key.get(), nullptr, win32::KEY_READ));
    EXPECT_FALSE(win32::RegCheckKeyAccess(key.get(), nullptr, win32::KEY_SET_VALUE));
    EXPECT_FALSE(win32::RegCheckKeyAccess(key.get(), nullptr, win32::KEY_CREATE_SUB_KEY));
    EXPECT_EQ(SetDwordW(key.get(), u"v", 2), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(QueryW(key.get(), u"v").data, DwordBytes(1));
    ASSERT_EQ(::chmod(registry_.system_dir().c_str(), 0755), 0);

    // A file that cannot be written, in a directory that can.
    ASSERT_EQ(::chmod(registry_.system_hive().c_str(), 0444), 0);
    EXPECT_TRUE(win32::RegCheckKeyAccess(key.get(), nullptr, win32::KEY_READ));
    EXPECT_FALSE(win32::RegCheckKeyAccess(key.get(), nullptr, win32::KEY_WRITE));
    EXPECT_EQ(SetDwordW(key.get(), u"v", 2), win32::ERROR_ACCESS_DENIED);
    EXPECT_EQ(ReadFile(registry_.system_hive()), before);
    ::chmod(registry_.system_hive().c_str(), 0644);
}

}  // namespace
